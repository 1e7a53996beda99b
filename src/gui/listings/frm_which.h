#pragma once

#include "gui/listings/listingnumberdialog.h"

#include <QPointer>

class ClipboardGuard;

// Asks which listing to change, then hands it to the change dialog.
class frm_which : public ListingNumberDialog {
    Q_OBJECT
public:
    // Opens the one which-dialog over grid, or brings it forward as it is.
    // The change dialog copies from its password box through clipboard.
    static frm_which* showOnce(PasswordGrid* grid, ClipboardGuard* clipboard = nullptr);

    QLineEdit* txt_change;

protected:
    void accept(PasswordGrid& grid, int listing, const QString& typed) override;

private:
    frm_which(PasswordGrid* grid, ClipboardGuard* clipboard);
    QPointer<ClipboardGuard> m_clipboard;
    static inline QPointer<frm_which> s_instance;
};
