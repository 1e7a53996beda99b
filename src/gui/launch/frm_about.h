#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;

// The About box: the product, its version and where to find help.
class frm_About : public QWidget {
    Q_OBJECT
public:
    // Shows the one About box, making it when absent.
    static frm_About* showOnce();

    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QPushButton* Command1;

public slots:
    void Command1_Click();

private:
    frm_About();
    static inline QPointer<frm_About> s_instance;
};
