#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// Deletes the listing with the typed number and renumbers the rest.
class frm_delete : public QWidget {
    Q_OBJECT
public:
    static frm_delete* showOnce();

    QLabel* Label1;
    QLineEdit* txt_delete;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    frm_delete();
    static inline QPointer<frm_delete> s_instance;
};
