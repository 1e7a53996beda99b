#pragma once

#include "gui/listings/listingnumberdialog.h"

// Deletes the listing with the typed number and renumbers the rest.
class frm_delete : public ListingNumberDialog {
    Q_OBJECT
public:
    // Opens the one delete dialog over grid, or brings it forward as it is.
    static frm_delete* showOnce(PasswordGrid* grid);

    QLineEdit* txt_delete;

protected:
    void accept(PasswordGrid& grid, int listing, const QString& typed) override;

private:
    explicit frm_delete(PasswordGrid* grid);
    static inline QPointer<frm_delete> s_instance;
};
