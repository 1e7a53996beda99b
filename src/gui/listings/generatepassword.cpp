#include "gui/listings/generatepassword.h"

#include "core/listings/passwordgenerator.h"
#include "gui/ui/secretbox.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

void AddPasswordGenerator(QLineEdit* box)
{
    auto* generate = new QAction(QStringLiteral("Generate Password"), box);
    generate->setObjectName(QStringLiteral("mnu_generate"));
    generate->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    generate->setShortcutContext(Qt::WidgetShortcut);
    box->addAction(generate);
    QObject::connect(generate, &QAction::triggered, box, [box] {
        // Through the edit history, so Ctrl+Z brings the old password back.
        box->selectAll();
        box->insert(PasswordGenerator::generate());
    });

    box->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(box, &QWidget::customContextMenuRequested, box, [box, generate](const QPoint& pos) {
        QMenu* menu = box->createStandardContextMenu();
        menu->setObjectName(QStringLiteral("mnu_password_menu"));
        menu->setAttribute(Qt::WA_DeleteOnClose);
        if (SecretBox* secret = SecretBox::of(box))
            secret->routeMenu(menu);
        menu->addSeparator();
        menu->addAction(generate);
        menu->popup(box->mapToGlobal(pos));
    });
}
