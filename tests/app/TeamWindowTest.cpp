// The Team window's choices: what each does to the team, and what it keeps in times.ini.

#include "app/MainWindow.h"
#include "app/TeamWindow.h"
#include "settings/Ini.h"
#include "support/FakePlatform.h"
#include "support/ProgramFolder.h"
#include "team/Team.h"
#include "timer/RunningMatch.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QStatusBar>
#include <QTcpServer>
#include <gtest/gtest.h>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen() ? probe.serverPort() : 0;
}

// Steps: Pport, Aaddress, Ccode type into those fields; L Lead, F Follow, D the
// drive check box. $free is a free port, $busy one that another program serves on.
// Each row: the steps, the role then (n l f), the keys kept, and whether the window
// tells why a choice was refused.
TEST(TeamWindowTest, ChoicesLeadFollowAndKeepTheirOwnSettings)
{
    QTcpServer busy;
    ASSERT_TRUE(busy.listen());
    const QString free = QString::number(freePort());
    const struct {
        const char* steps;
        char role;
        const char* kept;
        bool refused;
    } rows[] = {
        {"P$busy L", 'n', "", true},
        {"P$free L D", 'l', "teamport=$free teamdrive=0", false},
        // This PC's own team is not followed, however its address is written.
        {"P$free L A127.0.0.1:$free C12345678 F", 'l', "teamport=$free", true},
        {"Alocalhost:$busy C12345678 F", 'f', "teamleader=localhost:$busy", false},
        {"Alocalhost:$busy C12345 F", 'n', "", true},
        {"Alocal/host C12345678 F", 'n', "", true},
    };
    for (const auto& row : rows) {
        const QString steps = QString::fromLatin1(row.steps)
                                  .replace("$free", free)
                                  .replace("$busy", QString::number(busy.serverPort()));
        SCOPED_TRACE(steps.toStdString());
        FakePlatform fake;
        TempProgramFolder dir;
        ASSERT_TRUE(dir.writeIni("[settings]\n"));
        RunningMatch running(dir.files(), fake.clocks, fake.sound);
        running.load([] { return true; });
        Team team(running, fake.clocks);
        TeamWindow window(team, fake.dialogs, dir.iniPath());
        for (const QString& s : steps.split(' ')) {
            const char* named = s[0] == 'P' ? "txtTeamPort" : s[0] == 'A' ? "txtLeader"
                                : s[0] == 'C' ? "txtCode" : s[0] == 'L' ? "cmdLead"
                                : s[0] == 'F' ? "cmdFollow" : "chkTeamDrive";
            if (auto* box = window.findChild<QSpinBox*>(named))
                box->setValue(s.mid(1).toInt());
            else if (auto* field = window.findChild<QLineEdit*>(named))
                field->setText(s.mid(1));
            else
                window.findChild<QAbstractButton*>(named)->click();
        }
        EXPECT_EQ("nlf"[int(team.role())], row.role);
        QStringList kept;
        for (const char* key : {"teamport", "teamdrive", "teamleader"})
            if (const QString value = ReadIni("settings", key, dir.iniPath()); !value.isEmpty())
                kept << QStringLiteral("%1=%2").arg(key, value);
        EXPECT_EQ(kept.join(' '),
                  QString::fromLatin1(row.kept).replace("$free", free).replace(
                      "$busy", QString::number(busy.serverPort())));
        EXPECT_EQ(running.match().settings.bTeamDrive, !kept.contains("teamdrive=0"));
        EXPECT_EQ(window.findChild<QLabel*>("lblTeamNotice")->text().isEmpty(), !row.refused);
        if (team.role() != Team::Role::Leader)
            continue;
        // Leading, the window does not list its own team among those found.
        window.setLeaders({{"us", "localhost", team.port()}, {"them", "192.0.2.9", 8422}});
        auto* found = window.findChild<QListWidget*>("lstLeaders");
        ASSERT_EQ(found->count(), 1);
        found->setCurrentRow(0);
        EXPECT_EQ(window.findChild<QLineEdit*>("txtLeader")->text(), "192.0.2.9:8422");
    }
}

// A notice shows in the Team window while it is open; else, in a team, for a while
// in the main window's status bar; else (following has ended) in a message box.
TEST(TeamWindowTest, NoticesShowWhereTheUserLooks)
{
    FakePlatform fake;
    TempProgramFolder dir;
    ASSERT_TRUE(dir.writeIni("[settings]\n"));
    RunningMatch running(dir.files(), fake.clocks, fake.sound);
    Team team(running, fake.clocks);
    MainWindow window(fake.platform, running, nullptr, &team);
    const auto shown = [&](const char* notice) {
        emit team.notice(QString::fromLatin1(notice));
        QCoreApplication::processEvents();
        const auto* teamWindow = window.teamWindow();
        return QStringLiteral("%1 [%2] [%3]")
            .arg(fake.dialogs.messages.size())
            .arg(window.statusBar()->isVisible() ? window.statusBar()->currentMessage() : "-",
                 teamWindow ? teamWindow->findChild<QLabel*>("lblTeamNotice")->text() : "-");
    };
    window.show();
    EXPECT_EQ(shown("a"), "1 [-] [-]");
    ASSERT_EQ(team.lead(freePort()), std::nullopt);
    EXPECT_EQ(shown("b"), "1 [b] [-]");
    window.findChild<QAction*>("mnuTeam")->trigger();
    EXPECT_EQ(shown("c"), "1 [b] [c]");
}

} // namespace
