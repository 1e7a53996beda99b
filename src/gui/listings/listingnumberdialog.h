#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class PasswordGrid;
class QLabel;
class QLineEdit;
class QPushButton;

// The small dialog that asks for a listing's number, shared by the change
// and the delete paths. They differ in their names and a few twips, and in
// what they do with an accepted number.
class ListingNumberDialog : public QWidget {
    Q_OBJECT
public:
    QLabel* Label1;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    // Tests the typed number against the grid as it is now.
    void Command1_Click();
    void Command2_Click();

protected:
    struct Layout {
        const char* objectName;
        QString caption;
        int clientWidth;
        QString question;
        const char* boxName;
        int boxLeft;
        int cancelLeft;
    };
    ListingNumberDialog(const Layout& layout, PasswordGrid* grid);

    // A number that names a listing: its row, and the text as typed.
    virtual void accept(PasswordGrid& grid, int listing, const QString& typed) = 0;

    QLineEdit* box() const { return m_box; }

private:
    QLineEdit* m_box;
    QPointer<PasswordGrid> m_grid;
};
