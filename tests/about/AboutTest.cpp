// The About box, its System Info button with the registry and launcher it asks,
// and the Help window.

#include "about/AboutBox.h"
#include "about/HelpTopics.h"
#include "about/HelpWindow.h"
#include "about/SysInfo.h"
#include "platform/SystemLauncher.h"
#include "platform/SystemRegistry.h"
#include "support/FakePlatform.h"
#include "support/Printers.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Opened as the main window opens it: on its own, deleted when closed. It leaves
// the other windows usable and stays open whatever System Info finds; Enter
// presses OK, Esc too, wherever the focus is.
TEST(AboutBox, ModelessAndClosedByEnterOrEsc)
{
    FakePlatform fake;
    const auto open = [&] {
        QPointer<AboutBox> box = new AboutBox(fake.registry, fake.launcher, fake.dialogs);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
        return box;
    };
    QPointer<AboutBox> box = open();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QTest::mouseClick(box->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
    EXPECT_EQ(fake.dialogs.messages.size(), 1); // nothing to start: the user is told
    EXPECT_TRUE(box && box->isVisible());
    delete box;

    const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char*> cases[] = {
        {Qt::Key_Return, Qt::NoModifier, "cmdOK"},
        {Qt::Key_Enter, Qt::KeypadModifier, nullptr}, // nullptr: the box itself
        {Qt::Key_Escape, Qt::NoModifier, "cmdSysInfo"},
    };
    for (const auto& [key, modifiers, target] : cases) {
        box = open();
        QTest::keyClick(target ? box->findChild<QWidget*>(target) : box.data(), key, modifiers);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(box.isNull()) << key << " on " << (target ? target : "the box");
        delete box;
    }
    EXPECT_EQ(fake.dialogs.messages.size(), 1); // no key pressed System Info
}

using sysinfo::locationKey;
using sysinfo::msinfoKey;

RegistryValue text(const QByteArray& bytes) { return {1, bytes}; }
RegistryValue number(const QByteArray& bytes) { return {4, bytes}; }

// The program is the first key's PATH value read as text, or MSINFO32.EXE in the
// folder that the second key names; without one the user is told.
TEST(StartSysInfo, StartsTheProgramTheRegistryNamesOrSaysItIsUnavailable)
{
    const QByteArray program = "/opt/sys info/bin/sysinfo --all; rm -rf ~";
    const QByteArray full(1023, 'a');
    const QString inFolder = QStringLiteral("/opt/msinfo/MSINFO32.EXE");
    const struct {
        // "PATH" of the first key, "MSINFO" of the second; only /opt/msinfo holds the program
        std::optional<RegistryValue> path, folder;
        QStringList started; // nothing started: the message
        bool startSucceeds = true;
    } cases[] = {
        // The whole stored text is the program, spaces and all; the file is not checked.
        {text(program + '\0'), text("/opt/msinfo"), {program}},
        {text(QByteArray("ab\0\0", 4)), {}, {QString::fromUtf8("ab\0", 3)}}, // one zero goes
        {text(full + 'b'), {}, {QString::fromLatin1(full + 'b')}}, // the buffer full, no zero
        {RegistryValue{2, "/usr/bin/info"}, {}, {""}}, // another type leaves the text as it was
        // A number: its bytes from the last to the first, in hexadecimal without
        // leading zeros, read back as a number.
        {number(QByteArray("\xFF\x80\0\0", 4)), {}, {"-32513"}},
        {number(QByteArray("\0\0\x80\x7F", 4)), {}, {"8355840"}},
        // A PATH naming no program: the start fails and the folder is not tried.
        {text("/nowhere/msinfo32"), text("/opt/msinfo"), {"/nowhere/msinfo32"}, false},
        {std::nullopt, text(QByteArray("/opt/msinfo\0", 12)), {inFolder}},
        {std::nullopt, text("/opt/other"), {}},
        {text(QByteArray(1025, 'p')), text("/opt/msinfo"), {inFolder}}, // too long
        // A value of zero length, or a number too large for 32 bits, ends the lookup at once.
        {text(""), text("/opt/msinfo"), {}},
        {number("\x11\x11\x11\x11\x11"), text("/opt/msinfo"), {}},
    };
    for (const auto& c : cases) {
        FakePlatform f;
        f.registry.keys[msinfoKey]["Other"] = text("x");
        if (c.path)
            f.registry.keys[msinfoKey]["PATH"] = *c.path;
        if (c.folder)
            f.registry.keys[locationKey]["MSINFO"] = *c.folder;
        f.launcher.existingFiles = {inFolder};
        f.launcher.startSucceeds = c.startSucceeds;
        sysinfo::StartSysInfo(f.registry, f.launcher, f.dialogs);
        EXPECT_EQ(f.launcher.started, c.started);
        const bool failed = c.started.isEmpty() || !c.startSucceeds;
        const std::pair<QString, QString> message{sysinfo::unavailable, "Zorvu Timer"};
        EXPECT_EQ(f.dialogs.messages, decltype(f.dialogs.messages)(failed, message));
    }

    // A number's digits go after what the variable held (the lookups above start empty).
    FakeRegistry registry;
    registry.keys[msinfoKey]["PATH"] = number(QByteArray("\x05\0\0\0", 4));
    QString value = "9";
    EXPECT_TRUE(sysinfo::GetKeyValue(registry, Registry::LocalMachine, msinfoKey, "PATH", value));
    EXPECT_EQ(value, "-28667");
}

// A stand-in program in folder: an executable file, or a plain one.
QString add(const QTemporaryDir& folder, const QString& name, bool executable = true)
{
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.setPermissions(executable ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner);
    return file.fileName();
}

// The system's registry answers only the first key's PATH (names in any case):
// with the first executable program found, or not at all when there is none. The
// system's launcher takes plain, visible files only; and it never hands the value to
// a shell, which would run both commands: as a program path it names no file.
TEST(SystemRegistryAndLauncher, FindTheFirstProgramAndStartItWithoutAShell)
{
    const QStringList candidates = {"hardinfo2", "hardinfo", "kinfocenter"};
    QTemporaryDir programs, others;
    const QString plain = add(programs, "hardinfo2", false); // not executable: passed over
    const QString hardinfo = add(programs, "hardinfo");
    add(programs, "kinfocenter");
    const SystemRegistry registry(candidates, {programs.path()});
    QString path;
    EXPECT_TRUE(sysinfo::GetKeyValue(registry, Registry::LocalMachine,
                                     "software\\microsoft\\shared tools\\msinfo", "Path", path));
    EXPECT_EQ(path, hardinfo);
    EXPECT_FALSE(registry.value(Registry::LocalMachine, locationKey, "MSINFO"));
    EXPECT_FALSE(registry.value(Registry::LocalMachine, msinfoKey, "MSINFO"));
    EXPECT_FALSE(registry.value(0x80000001, msinfoKey, "PATH"));
    const SystemRegistry none(candidates, {others.path()});
    EXPECT_FALSE(none.value(Registry::LocalMachine, msinfoKey, "PATH"));

    SystemLauncher launcher;
    EXPECT_TRUE(launcher.fileExists(plain));
    EXPECT_FALSE(launcher.fileExists(add(others, ".MSINFO32.EXE")));
    EXPECT_FALSE(launcher.fileExists(others.path()));
    const QString marker = others.filePath("ran");
    EXPECT_FALSE(launcher.start("/bin/true; touch " + marker));
    EXPECT_FALSE(launcher.start("touch " + marker));
    EXPECT_FALSE(QFile::exists(marker));
}

// A window starts empty with navy labels, whatever an earlier one showed. A left
// click let go over a label shows its topic's text (each line end one line break),
// even over what the user typed, and marks only its own label blue; a right click,
// or a left one let go elsewhere, does nothing.
TEST(HelpWindow, EachTopicShowsItsTextAndMarksItsLabel)
{
    HelpWindow().lblHelp_Click(help::Options);
    HelpWindow w;
    auto* text = w.findChild<QPlainTextEdit*>("txtHelp");
    const auto label = [&](int i) { return w.findChild<QLabel*>(QString("lblHelp_%1").arg(i)); };
    QStringList shown{QString()};
    for (int topic : {-1, 0, 1, 1, 2, 0}) {
        SCOPED_TRACE(topic);
        if (topic >= 0) {
            QTest::keyClicks(text, QStringLiteral("my notes"));
            QTest::mouseClick(label(topic), Qt::LeftButton);
            shown << help::topicText(topic).replace("\r\n", "\n");
            QLabel* other = label((topic + 1) % help::topicCount);
            QTest::mouseClick(other, Qt::RightButton);
            QTest::mousePress(other, Qt::LeftButton, {}, QPoint(5, 5));
            QTest::mouseRelease(other, Qt::LeftButton, {}, QPoint(-5, 5));
        }
        EXPECT_EQ(text->toPlainText(), shown.last());
        for (int i = 0; i < help::topicCount; ++i) // blue, or navy
            EXPECT_EQ(label(i)->palette().windowText().color(),
                      i == topic ? QColor(0, 0, 255) : QColor(0, 0, 128)) << i;
    }
    shown.removeDuplicates();
    EXPECT_EQ(shown.size(), 4); // nothing, and three topics with three different texts
}

} // namespace
