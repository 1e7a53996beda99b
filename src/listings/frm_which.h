#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks which listing to change, then hands it to the change dialog.
class frm_which : public QWidget {
    Q_OBJECT
public:
    static frm_which* showOnce();

    QLabel* Label1;
    QLineEdit* txt_change;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    frm_which();
    static inline QPointer<frm_which> s_instance;
};
