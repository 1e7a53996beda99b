#include "gui/listings/generatepassword.h"

#include "core/listings/passwordgenerator.h"
#include "gui/listings/frm_generator.h"
#include "gui/listings/generatorcontext.h"
#include "gui/listings/passwordgrid.h"
#include "gui/ui/secretbox.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace {

PasswordGenerator::Result generateFor(PasswordGrid* grid)
{
    if (grid && grid->generatorContext())
        return grid->generatorContext()->generate();
    PasswordGenerator::Settings defaults;
    defaults.length =
        PasswordGenerator::lengthFor(defaults, grid && grid->listingFormat() == ListingRules::Format::Sealed);
    return PasswordGenerator::generate(defaults);
}

} // namespace

void AddPasswordGenerator(QLineEdit* box, std::function<PasswordGrid*()> grid)
{
    const auto source = [grid = std::move(grid)] { return grid ? grid() : nullptr; };
    auto* generate = new QAction(QStringLiteral("Generate Password"), box);
    generate->setObjectName(QStringLiteral("mnu_generate"));
    generate->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    generate->setShortcutContext(Qt::WidgetShortcut);
    box->addAction(generate);
    QObject::connect(generate, &QAction::triggered, box, [box, source] {
        const PasswordGenerator::Result made = generateFor(source());
        if (made.password.isEmpty())
            return;
        // Through the edit history, so Ctrl+Z brings the old password back.
        box->selectAll();
        box->insert(made.password.view().toString());
    });

    auto* open = new QAction(QStringLiteral("Password &Generator..."), box);
    open->setObjectName(QStringLiteral("mnu_opengenerator"));
    QObject::connect(open, &QAction::triggered, box, [box, source] {
        PasswordGrid* on = source();
        frm_generator::showFor(on ? on->generatorContext() : nullptr, box);
    });

    box->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(box, &QWidget::customContextMenuRequested, box, [box, generate, open](const QPoint& pos) {
        QMenu* menu = box->createStandardContextMenu();
        menu->setObjectName(QStringLiteral("mnu_password_menu"));
        menu->setAttribute(Qt::WA_DeleteOnClose);
        if (SecretBox* secret = SecretBox::of(box))
            secret->routeMenu(menu);
        menu->addSeparator();
        menu->addAction(generate);
        menu->addAction(open);
        menu->popup(box->mapToGlobal(pos));
    });
}
