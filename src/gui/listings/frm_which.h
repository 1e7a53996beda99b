#pragma once

#include "gui/listings/listingnumberdialog.h"

// Asks which listing to change, then hands it to the change dialog.
class frm_which : public ListingNumberDialog {
    Q_OBJECT
public:
    // Opens the one which-dialog over grid, or brings it forward as it is.
    static frm_which* showOnce(PasswordGrid* grid);

    QLineEdit* txt_change;

protected:
    void accept(PasswordGrid& grid, int listing, const QString& typed) override;

private:
    explicit frm_which(PasswordGrid* grid);
    static inline QPointer<frm_which> s_instance;
};
