#pragma once

#include "core/listings/listing.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class ListSession;
class QLabel;
class QLineEdit;
class QPushButton;
class StrengthMeter;

// Turns strong protection on (the list sealed under a key derived from a new
// master password) or, when it is on, off again.
class frm_strong : public QWidget {
    Q_OBJECT
public:
    // Opens the one dialog, for turning on or off as the folder is now, or
    // brings it forward as it is.
    static frm_strong* showOnce(ListSession& session);

    bool turnsOn() const { return m_turnsOn; }

    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* txt_old;
    QLabel* Label3 = nullptr;
    QLineEdit* txt_new = nullptr;
    // Only when turning on: the earlier format gives its password away.
    StrengthMeter* fra_strength = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txt_confirm = nullptr;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Command1_Click();
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    frm_strong(ListSession& session, bool turnsOn);
    void turnOn();
    void turnOff();
    // Why listings cannot go back to the earlier format (empty: they can).
    static QString misfitsMessage(const QList<Listing>& listings);
    void offerToRemoveSealedBackups();

    bool m_turnsOn;
    ListSession& m_session;
    bool m_busy = false; // a key is being derived: presses are ignored
    static inline QPointer<frm_strong> s_instance;
};
