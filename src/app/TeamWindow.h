#pragma once

#include "settings/Settings.h"
#include "team/Discovery.h"

#include <QDialog>
#include <QList>

class Dialogs;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class Team;

// File > Team: lead this match (its join code, the addresses followers can use,
// whether they may drive the clock), follow a leader found on the network or at a
// typed address, or leave; and how well this PC keeps step with its leader.
class TeamWindow : public QDialog {
    Q_OBJECT
public:
    TeamWindow(Team& team, Dialogs& dialogs, const QString& settingsFile,
               QWidget* parent = nullptr);

    // What this PC does in a team, in a line (for the main window too); empty
    // when it is in none.
    static QString summary(const Team& team);

public slots:
    // The leaders found on the local network; this PC's own team is left out.
    void setLeaders(const QList<FoundLeader>& leaders);
    // Why no leaders can be found here; empty when they can.
    void setDiscoveryNote(const QString& note);
    // A refusal or a failure, shown until the next choice.
    void showNotice(const QString& message);

private:
    void lead();
    void follow();
    void showState();
    bool save(const QList<std::pair<setting::Field, QString>>& values);

    Team& team_;
    Dialogs& dialogs_;
    QString settingsFile_;
    QList<FoundLeader> leaders_;
    QLabel* lblTeamState_;
    QLabel* lblTeamSync_;
    QLabel* lblTeamNotice_;
    QSpinBox* txtTeamPort_;
    QPushButton* cmdLead_;
    QWidget* leadPart_;
    QLabel* lblTeamCode_;
    QLabel* lblTeamAddresses_;
    QCheckBox* chkTeamDrive_;
    QListWidget* lstLeaders_;
    QLabel* lblDiscovery_;
    QLineEdit* txtLeader_;
    QLineEdit* txtCode_;
    QPushButton* cmdLeave_;
};
