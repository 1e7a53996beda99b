#include "gui/launch/frm_about.h"

#include "gui/ui/formsupport.h"
#include "gui/ui/twips.h"

#include <QLabel>
#include <QPushButton>

frm_About* frm_About::showOnce()
{
    return Forms::showOnce(s_instance, [] { return new frm_About; });
}

frm_About::frm_About()
{
    Forms::setUpWindow(this, "frm_About", QStringLiteral("About Vellamar V1.0"));
    Forms::setClientSize(this, 4680, 2430);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Twips::rect(120, 120, 720, 720));
    Image1->setPixmap(Forms::appIcon().pixmap(48, 48));

    Label1 = Forms::addLabel(this, "Label1", QStringLiteral("Vellamar V1.0.1"), 960, 120, 3135, 375);
    QFont title = Label1->font();
    title.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    title.setPointSize(12);
    title.setBold(true);
    Label1->setFont(title);

    Label2 = Forms::addLabel(this, "Label2", QStringLiteral("Your log-in details under one master password."), 960, 480,
                             3615, 255);
    Label3 = Forms::addLabel(this, "Label3", QStringLiteral("The list is kept beside the program, scrambled."), 960,
                             840, 3615, 255);
    Label4 = Forms::addLabel(this, "Label4", QStringLiteral("For instructions choose Help, then Help."), 960, 1080,
                             3375, 255);
    Label5 =
        Forms::addLabel(this, "Label5", QStringLiteral("Free software under the MIT License."), 960, 1320, 3135, 255);
    Label6 = Forms::addLabel(this, "Label6", QStringLiteral("Copyright 2026 the Vellamar developers."), 960, 1560, 3375,
                             255);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("O.K."), 1800, 1920, 1215, 375);
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, &frm_About::Command1_Click);
}

void frm_About::Command1_Click()
{
    close();
}
