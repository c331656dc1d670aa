#include "app/TeamWindow.h"

#include "app/SaveSettings.h"
#include "team/LocalNetwork.h"
#include "team/Protocol.h"
#include "team/Team.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QString hostPort(const QString& host, quint16 port)
{
    return QString::fromLatin1(host.contains(':') ? "[%1]:%2" : "%1:%2").arg(host).arg(port);
}

QLabel* stateLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TeamWindow::TeamWindow(Team& team, Dialogs& dialogs, const QString& settingsFile,
                       QWidget* parent)
    : QDialog(parent), team_(team), dialogs_(dialogs), settingsFile_(settingsFile)
{
    setObjectName(QStringLiteral("frmTeam"));
    setWindowTitle(tr("Team"));
    Settings saved;
    saved.read(settingsFile_);

    lblTeamState_ = stateLabel(this, "lblTeamState");
    QFont bold = lblTeamState_->font();
    bold.setBold(true);
    lblTeamState_->setFont(bold);
    lblTeamSync_ = stateLabel(this, "lblTeamSync");
    lblTeamNotice_ = stateLabel(this, "lblTeamNotice");
    lblTeamNotice_->setStyleSheet(QStringLiteral("color: #c00000"));

    // Lead this match
    auto* leadBox = new QGroupBox(tr("Lead this match"), this);
    txtTeamPort_ = new QSpinBox(leadBox);
    txtTeamPort_->setObjectName(QStringLiteral("txtTeamPort"));
    txtTeamPort_->setRange(setting::of(&Settings::iTeamPort).low, 65535);
    txtTeamPort_->setValue(saved.iTeamPort);
    cmdLead_ = new QPushButton(tr("&Lead"), leadBox);
    cmdLead_->setObjectName(QStringLiteral("cmdLead"));
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(txtTeamPort_);
    portRow->addWidget(cmdLead_);
    portRow->addStretch();

    leadPart_ = new QWidget(leadBox);
    lblTeamCode_ = stateLabel(leadPart_, "lblTeamCode");
    QFont big = lblTeamCode_->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    big.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    lblTeamCode_->setFont(big);
    auto* cmdNewCode = new QPushButton(tr("&New Code"), leadPart_);
    cmdNewCode->setObjectName(QStringLiteral("cmdNewCode"));
    cmdNewCode->setToolTip(tr("Makes a new join code: followers that joined with the old one "
                              "are dropped and must type the new one."));
    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(lblTeamCode_);
    codeRow->addWidget(cmdNewCode);
    codeRow->addStretch();
    lblTeamAddresses_ = stateLabel(leadPart_, "lblTeamAddresses");
    chkTeamDrive_ = new QCheckBox(tr("Followers may &drive the clock"), leadPart_);
    chkTeamDrive_->setObjectName(QStringLiteral("chkTeamDrive"));
    chkTeamDrive_->setChecked(saved.bTeamDrive);
    auto* leadForm = new QFormLayout(leadPart_);
    leadForm->setContentsMargins({});
    leadForm->addRow(tr("Join code:"), codeRow);
    leadForm->addRow(tr("Followers use:"), lblTeamAddresses_);
    leadForm->addRow(chkTeamDrive_);
    auto* leadLayout = new QFormLayout(leadBox);
    auto* portLabel = new QLabel(tr("&Port:"), leadBox);
    portLabel->setBuddy(txtTeamPort_);
    leadLayout->addRow(portLabel, portRow);
    leadLayout->addRow(leadPart_);

    // Follow
    auto* followBox = new QGroupBox(tr("Follow"), this);
    lstLeaders_ = new QListWidget(followBox);
    lstLeaders_->setObjectName(QStringLiteral("lstLeaders"));
    lstLeaders_->setMaximumHeight(lstLeaders_->fontMetrics().height() * 5);
    lblDiscovery_ = stateLabel(followBox, "lblDiscovery");
    txtLeader_ = new QLineEdit(saved.sTeamLeader, followBox);
    txtLeader_->setObjectName(QStringLiteral("txtLeader"));
    txtLeader_->setPlaceholderText(tr("192.168.1.20 or HOST:PORT"));
    txtCode_ = new QLineEdit(followBox);
    txtCode_->setObjectName(QStringLiteral("txtCode"));
    txtCode_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,32}")), txtCode_));
    auto* cmdFollow = new QPushButton(tr("&Follow"), followBox);
    cmdFollow->setObjectName(QStringLiteral("cmdFollow"));
    auto* followForm = new QFormLayout(followBox);
    followForm->addRow(tr("Leaders found:"), lstLeaders_);
    followForm->addRow(lblDiscovery_);
    followForm->addRow(tr("Leader's &address:"), txtLeader_);
    followForm->addRow(tr("&Join code:"), txtCode_);
    followForm->addRow(cmdFollow);

    cmdLeave_ = new QPushButton(tr("L&eave"), this);
    cmdLeave_->setObjectName(QStringLiteral("cmdLeave"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(cmdLeave_, QDialogButtonBox::ActionRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTeamState_);
    layout->addWidget(lblTeamSync_);
    layout->addWidget(lblTeamNotice_);
    layout->addWidget(leadBox);
    layout->addWidget(followBox);
    layout->addStretch();
    layout->addWidget(buttons);

    connect(cmdLead_, &QPushButton::clicked, this, &TeamWindow::lead);
    connect(cmdNewCode, &QPushButton::clicked, this, [this] {
        lblTeamNotice_->clear();
        team_.newCode();
    });
    connect(chkTeamDrive_, &QCheckBox::toggled, this, [this](bool may) {
        team_.setFollowersMayDrive(may);
        save({{&Settings::bTeamDrive, QString::number(int(may))}});
    });
    connect(lstLeaders_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < leaders_.size())
            txtLeader_->setText(hostPort(leaders_[row].host, leaders_[row].port));
    });
    connect(lstLeaders_, &QListWidget::itemActivated, this, [this] { txtCode_->setFocus(); });
    connect(txtCode_, &QLineEdit::returnPressed, this, &TeamWindow::follow);
    connect(cmdFollow, &QPushButton::clicked, this, &TeamWindow::follow);
    connect(cmdLeave_, &QPushButton::clicked, this, [this] {
        lblTeamNotice_->clear();
        team_.leave();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&team_, &Team::changed, this, &TeamWindow::showState);
    connect(&team_, &Team::notice, this, &TeamWindow::showNotice);
    showState();
}

QString TeamWindow::summary(const Team& team)
{
    switch (team.role()) {
    case Team::Role::None:
        break;
    case Team::Role::Leader:
        return team.followers() == 0   ? tr("Leading this match; no followers yet.")
               : team.followers() == 1 ? tr("Leading this match, with 1 follower.")
                                       : tr("Leading this match, with %1 followers.")
                                             .arg(team.followers());
    case Team::Role::Follower: {
        const QJsonObject status = team.status();
        if (status[QStringLiteral("connected")].toBool())
            return tr("Following %1 at %2.")
                .arg(team.leaderName(), status[QStringLiteral("leader")].toString());
        if (team.lost())
            return tr("Leader lost, reconnecting");
        return tr("Joining the leader at %1…").arg(status[QStringLiteral("leader")].toString());
    }
    }
    return {};
}

void TeamWindow::setLeaders(const QList<FoundLeader>& leaders)
{
    leaders_.clear();
    lstLeaders_->clear();
    for (const FoundLeader& leader : leaders) {
        if (team_.role() == Team::Role::Leader && leader.port == team_.port() &&
            isThisPc(leader.host))
            continue;
        leaders_ << leader;
        lstLeaders_->addItem(
            QStringLiteral("%1 (%2)").arg(leader.name, hostPort(leader.host, leader.port)));
    }
}

void TeamWindow::setDiscoveryNote(const QString& note)
{
    lblDiscovery_->setText(note);
    lblDiscovery_->setVisible(!note.isEmpty());
}

void TeamWindow::showNotice(const QString& message)
{
    lblTeamNotice_->setText(message);
}

void TeamWindow::lead()
{
    lblTeamNotice_->clear();
    const auto port = quint16(txtTeamPort_->value());
    if (const auto why = team_.lead(port))
        return showNotice(*why);
    save({{&Settings::iTeamPort, QString::number(port)}});
}

void TeamWindow::follow()
{
    lblTeamNotice_->clear();
    const QString typed = txtLeader_->text().trimmed();
    const auto leader = Team::address(typed);
    if (!leader)
        return showNotice(tr("Type the leader's address as its Team window shows it: an "
                             "address or name, with :PORT when the port is not %1.")
                              .arg(team::protocol::kDefaultPort));
    if (txtCode_->text().size() < 6)
        return showNotice(tr("Type the join code that the leader's Team window shows."));
    if (const auto why = team_.follow(leader->first, leader->second, txtCode_->text()))
        return showNotice(*why);
    save({{&Settings::sTeamLeader, typed}});
}

bool TeamWindow::save(const QList<std::pair<setting::Field, QString>>& values)
{
    return saveSettings(settingsFile_, values, dialogs_, this, tr("team's settings"));
}

void TeamWindow::showState()
{
    const Team::Role role = team_.role();
    lblTeamState_->setText(role == Team::Role::None ? tr("Not in a team.") : summary(team_));
    const QJsonObject status = team_.status();
    const bool connected = status[QStringLiteral("connected")].toBool();
    lblTeamSync_->setVisible(connected);
    if (connected)
        lblTeamSync_->setText(
            tr("Clock offset %1 ms, round trip %2 ms: %3")
                .arg(status[QStringLiteral("offset_ms")].toDouble(), 0, 'f', 1)
                .arg(status[QStringLiteral("rtt_ms")].toDouble(), 0, 'f', 1)
                .arg(status[QStringLiteral("in_step")].toBool()
                         ? tr("in step (within 5 ms).")
                         : tr("not in step yet.")));

    // Following by the command line, the address is the one in use.
    if (role == Team::Role::Follower && txtLeader_->text().isEmpty())
        txtLeader_->setText(status[QStringLiteral("leader")].toString());
    const bool leading = role == Team::Role::Leader;
    leadPart_->setVisible(leading);
    cmdLeave_->setEnabled(role != Team::Role::None);
    if (!leading)
        return;
    txtTeamPort_->setValue(team_.port());
    lblTeamCode_->setText(team_.code());
    QStringList addresses;
    for (const QHostAddress& ip : localNetworkAddresses())
        addresses << hostPort(ip.toString(), team_.port());
    lblTeamAddresses_->setText(addresses.isEmpty() ? tr("(this PC has no local network)")
                                                   : addresses.join('\n'));
}
