#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "CommaLocale.h"
#include "common/SafeSave.h"
#include "platform/qt/QtSettingsStore.h"

namespace {

// Points the user's configuration folder at a fresh temporary folder for
// the life of the object.
class CTempConfigHome {
public:
    CTempConfigHome() {
        const QByteArray old = qgetenv("XDG_CONFIG_HOME");
        m_hadOld = !old.isNull();
        m_old = old;
        qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    }
    ~CTempConfigHome() {
        if (m_hadOld) {
            qputenv("XDG_CONFIG_HOME", m_old);
        } else {
            qunsetenv("XDG_CONFIG_HOME");
        }
    }
    QString Path() const { return m_dir.path(); }
    QString SettingsFile() const { return m_dir.path() + "/Maker/Product.ini"; }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
    bool m_hadOld = false;
};

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

std::string FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).join(" ").toStdString();
}

ino_t InodeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

// One save of the loop below: every value holds round.
void SaveRound(CQtSettingsStore& store, int round, int values) {
    store.Open("Maker", "Product");
    store.SetInteger("", "Round", round);
    for (int i = 0; i < values; ++i) {
        const std::string name = "Value " + std::to_string(i);
        store.SetString("Strings", name.c_str(),
                        std::string(40, 'a' + i % 26) + std::to_string(round));
        store.SetBinary("Records", name.c_str(),
                        std::vector<uint8_t>(32, static_cast<uint8_t>(round)));
    }
    store.Save();
}

}  // namespace

TEST(QtSettingsStore, ValuesSurviveTheFileWithTheirTypes) {
    CTempConfigHome home;
    CQtSettingsStore out;
    ASSERT_TRUE(out.Open("Maker", "Product"));
    EXPECT_FALSE(out.Exists());
    const std::string awkward = " a, b = c; @d \"e\" \\f\tg \xC3\xA9";
    ASSERT_TRUE(out.SetString("", "Text", awkward));
    ASSERT_TRUE(out.SetString("", "Empty", ""));
    ASSERT_TRUE(out.SetInteger("Sub/Deeper", "Number", -1234567890123LL));
    ASSERT_TRUE(out.SetBinary("Sub", "Record", {0, 1, 0xFF, '\n', '=', 0}));
    ASSERT_TRUE(out.SetString("General", "Collides", "with the section name"));
    ASSERT_TRUE(out.Save()) << out.GetError();
    EXPECT_TRUE(QFile::exists(home.SettingsFile()));

    CQtSettingsStore in;
    ASSERT_TRUE(in.Open("Maker", "Product"));
    EXPECT_TRUE(in.Exists());
    std::string text;
    int64_t number = 0;
    std::vector<uint8_t> record;
    EXPECT_TRUE(in.GetString("", "Text", text));
    EXPECT_EQ(text, awkward);
    EXPECT_TRUE(in.GetString("", "Empty", text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(in.GetInteger("Sub/Deeper", "Number", number));
    EXPECT_EQ(number, -1234567890123LL);
    EXPECT_TRUE(in.GetBinary("Sub", "Record", record));
    EXPECT_EQ(record, (std::vector<uint8_t>{0, 1, 0xFF, '\n', '=', 0}));
    EXPECT_TRUE(in.GetString("General", "Collides", text));
    EXPECT_EQ(text, "with the section name");
    EXPECT_FALSE(in.GetBinary("", "Text", record));
    EXPECT_FALSE(in.GetInteger("", "Text", number));
    EXPECT_FALSE(in.GetString("Sub", "Record", text));
    EXPECT_FALSE(in.GetString("Sub", "Missing", text));
}

TEST(QtSettingsStore, TheFileIsForItsOwnerOnly) {
    CTempConfigHome home;
    CQtSettingsStore store;
    ASSERT_TRUE(store.Open("Maker", "Product"));
    store.SetString("Web Login", "Password", "secret");
    ASSERT_TRUE(store.Save());
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(home.SettingsFile()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(QtSettingsStore, ASaveReplacesTheFileAndLeavesNoTemporaryFile) {
    CTempConfigHome home;
    CQtSettingsStore store;
    ASSERT_TRUE(store.Open("Maker", "Product"));
    store.SetInteger("", "Value", 1);
    ASSERT_TRUE(store.Save());
    const ino_t first = InodeOf(home.SettingsFile());
    ASSERT_NE(first, 0u);
    store.SetInteger("", "Value", 2);
    ASSERT_TRUE(store.Save());
    // A new file renamed over the old one, not the old one rewritten.
    EXPECT_NE(InodeOf(home.SettingsFile()), first);
    EXPECT_EQ(FilesIn(home.Path() + "/Maker"), "Product.ini");
}

TEST(QtSettingsStore, UnsavedWritesAreDroppedByOpening) {
    CTempConfigHome home;
    CQtSettingsStore store;
    ASSERT_TRUE(store.Open("Maker", "Product"));
    store.SetInteger("", "Kept", 1);
    ASSERT_TRUE(store.Save());
    store.SetInteger("", "Dropped", 2);
    ASSERT_TRUE(store.Open("Maker", "Product"));
    int64_t value = 0;
    EXPECT_TRUE(store.GetInteger("", "Kept", value));
    EXPECT_FALSE(store.GetInteger("", "Dropped", value));
}

TEST(QtSettingsStore, HandWrittenValuesOfAnotherTypeAreNoValues) {
    CTempConfigHome home;
    WriteFile(home.SettingsFile(),
              "[General]\n"
              "MIDI%20path=/music/midi/\n"
              "Port=12\n"
              "List=a, b, c\n"
              "[Audio]\n"
              "Master%20volume=loud\n"
              "MIDI%20input%20port=@ByteArray(\\x1\\0\\0\\0)\n");
    CQtSettingsStore store;
    ASSERT_TRUE(store.Open("Maker", "Product"));
    EXPECT_TRUE(store.Exists());
    std::string text;
    int64_t number = 0;
    std::vector<uint8_t> record;
    EXPECT_TRUE(store.GetString("", "MIDI path", text));
    EXPECT_EQ(text, "/music/midi/");
    EXPECT_TRUE(store.GetInteger("", "Port", number));  // text that is a number
    EXPECT_EQ(number, 12);
    EXPECT_FALSE(store.GetString("", "List", text));  // a list is no text
    EXPECT_FALSE(store.GetBinary("Audio", "Master volume", record));
    EXPECT_FALSE(store.GetInteger("Audio", "Master volume", number));
    EXPECT_TRUE(store.GetBinary("Audio", "MIDI input port", record));
    EXPECT_EQ(record, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_FALSE(store.GetString("Audio", "MIDI input port", text));
}

// A garbled file is told of, kept beside as ".damaged" and replaced by a
// clean file that holds what the application wrote, and no garbage.
TEST(QtSettingsStore, AGarbledFileIsKeptAsDamagedAndReplacedByACleanOne) {
    CTempConfigHome home;
    QByteArray junk;
    for (int i = 0; i < 4096; ++i) {
        junk.append(static_cast<char>((i * 7919 + 13) & 0xFF));
    }
    junk.append("\n[Sub\n=\n[]]\nkey\n@ByteArray(\\x\nvalue=1\n");
    WriteFile(home.SettingsFile(), junk);
    CQtSettingsStore store;
    ASSERT_TRUE(store.Open("Maker", "Product"));
    EXPECT_EQ(store.GetReadProblem().rfind("Can't read all settings (" +
                                               home.SettingsFile().toStdString() +
                                               "): the file is garbled",
                                           0),
              0u)
        << store.GetReadProblem();
    std::string text;
    EXPECT_FALSE(store.GetString("Audio", "Audio input name", text));
    store.SetString("Audio", "Audio input name", "Microphone");
    ASSERT_TRUE(store.Save()) << store.GetError();
    EXPECT_TRUE(store.GetReadProblem().empty());
    QFile damaged(home.SettingsFile() + ".damaged");
    ASSERT_TRUE(damaged.open(QIODevice::ReadOnly));
    EXPECT_EQ(damaged.readAll(), junk);
    CQtSettingsStore again;
    ASSERT_TRUE(again.Open("Maker", "Product"));
    EXPECT_TRUE(again.GetReadProblem().empty()) << again.GetReadProblem();
    EXPECT_TRUE(again.GetString("Audio", "Audio input name", text));
    EXPECT_EQ(text, "Microphone");
    const qint64 cleanSize = QFileInfo(home.SettingsFile()).size();
    EXPECT_LT(cleanSize, 100);
    ASSERT_TRUE(again.Save());
    EXPECT_EQ(QFileInfo(home.SettingsFile()).size(), cleanSize);
}

// Files of the user's next to the settings are never taken for left-overs.
TEST(QtSettingsStore, TheUsersFilesBesideTheSettingsSurviveSaves) {
    CTempConfigHome home;
    const QString base = home.SettingsFile();
    for (const char* suffix : {".backup", ".before", ".readme", ".123456"}) {
        WriteFile(base + suffix, "mine");
    }
    CQtSettingsStore store;
    ASSERT_TRUE(store.Open("Maker", "Product"));
    store.SetInteger("", "Value", 1);
    ASSERT_TRUE(store.Save()) << store.GetError();
    ASSERT_TRUE(store.Save()) << store.GetError();
    EXPECT_EQ(FilesIn(home.Path() + "/Maker"),
              "Product.ini Product.ini.123456 Product.ini.backup Product.ini.before "
              "Product.ini.readme");
}

// What may not be replaced is reported with the reason and left as it is:
// a read-only file, a folder, a FIFO (which must not block the read either).
TEST(QtSettingsStore, WhatMayNotBeReplacedIsReportedAndKept) {
    CTempConfigHome home;
    const std::string path = home.SettingsFile().toStdString();
    WriteFile(home.SettingsFile(), "[General]\nValue=7\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    {
        CQtSettingsStore store;
        ASSERT_TRUE(store.Open("Maker", "Product"));
        store.SetInteger("", "Value", 1);
        EXPECT_FALSE(store.Save());
        EXPECT_EQ(std::string(store.GetError()),
                  "Can't save settings (" + path + "): the file is read-only");
    }
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    {
        CQtSettingsStore store;
        ASSERT_TRUE(store.Open("Maker", "Product"));  // returns: nothing waits on the FIFO
        EXPECT_EQ(store.GetReadProblem(),
                  "Can't read settings (" + path + "): it is not a regular file");
        EXPECT_FALSE(store.Exists());
        store.SetInteger("", "Value", 1);
        EXPECT_FALSE(store.Save());
        EXPECT_EQ(std::string(store.GetError()).rfind("Can't save settings (" + path + "): ", 0),
                  0u);
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_TRUE(S_ISFIFO(info.st_mode));
    }
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    CQtSettingsStore store;
    ASSERT_TRUE(store.Open("Maker", "Product"));
    store.SetInteger("", "Value", 1);
    EXPECT_FALSE(store.Save());
    EXPECT_EQ(std::string(store.GetError()).rfind("Can't save settings (" + path + "): ", 0), 0u)
        << store.GetError();
}

TEST(QtSettingsStore, ASaveWritesThroughALinkToItsTarget) {
    CTempConfigHome home;
    WriteFile(home.Path() + "/Maker/Real.ini", "[General]\nKept=1\n");
    ASSERT_EQ(::symlink("Real.ini", QFile::encodeName(home.SettingsFile()).constData()), 0);
    CQtSettingsStore store;
    ASSERT_TRUE(store.Open("Maker", "Product"));
    int64_t value = 0;
    EXPECT_TRUE(store.GetInteger("", "Kept", value));
    store.SetInteger("", "Value", 2);
    ASSERT_TRUE(store.Save()) << store.GetError();
    EXPECT_TRUE(QFileInfo(home.SettingsFile()).isSymLink());
    CQtSettingsStore again;
    ASSERT_TRUE(again.Open("Maker", "Product"));
    EXPECT_TRUE(again.GetInteger("", "Kept", value));
    EXPECT_TRUE(again.GetInteger("", "Value", value));
    EXPECT_EQ(value, 2);
}

TEST(QtSettingsStore, ASaveThatCannotWriteFails) {
    CTempConfigHome home;
    // The configuration folder lies below a plain file, so it can't be made.
    WriteFile(home.Path() + "/file", "x");
    qputenv("XDG_CONFIG_HOME", (home.Path() + "/file/config").toLocal8Bit());
    CQtSettingsStore store;
    ASSERT_TRUE(store.Open("Maker", "Product"));
    store.SetInteger("", "Value", 1);
    EXPECT_FALSE(store.Save());
    EXPECT_NE(std::string(store.GetError()).find("Can't save settings"), std::string::npos)
        << store.GetError();
}

TEST(QtSettingsStore, NamesWithSeparatorsAreRefused) {
    CTempConfigHome home;
    CQtSettingsStore store;
    EXPECT_FALSE(store.SetString("", "Name", "x"));  // not open
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(store.Open("../Maker", "Product"));
    EXPECT_FALSE(store.Open("Maker", "Pro\\duct"));
    ASSERT_TRUE(store.Open("Maker", "Product"));
    EXPECT_FALSE(store.SetString("", "a/b", "x"));
    EXPECT_FALSE(store.SetString("Sub//Key", "Name", "x"));
    EXPECT_FALSE(store.SetString("Sub", "", "x"));
    std::string text;
    EXPECT_FALSE(store.GetString("", "a/b", text));
}

// A process killed at any moment of a save leaves either the settings of
// one complete save or those of the next, never a mixture or a broken file.
TEST(QtSettingsStore, AProcessKilledWhileSavingLeavesACompleteFile) {
    CTempConfigHome home;
    constexpr int kValues = 200;
    {
        CQtSettingsStore first;
        SaveRound(first, 0, kValues);
    }
    for (int attempt = 0; attempt < 12; ++attempt) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CQtSettingsStore store;
            for (int round = 1;; ++round) {
                SaveRound(store, round, kValues);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(40 + 17 * attempt));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        CQtSettingsStore store;
        ASSERT_TRUE(store.Open("Maker", "Product")) << store.GetError();
        int64_t round = -1;
        ASSERT_TRUE(store.GetInteger("", "Round", round)) << "attempt " << attempt;
        for (int i = 0; i < kValues; ++i) {
            const std::string name = "Value " + std::to_string(i);
            std::string text;
            std::vector<uint8_t> record;
            ASSERT_TRUE(store.GetString("Strings", name.c_str(), text)) << name;
            EXPECT_EQ(text, std::string(40, 'a' + i % 26) + std::to_string(round)) << name;
            ASSERT_TRUE(store.GetBinary("Records", name.c_str(), record)) << name;
            EXPECT_EQ(record, std::vector<uint8_t>(32, static_cast<uint8_t>(round))) << name;
        }
        // The next process can save over what the killed one left.
        SaveRound(store, 0, kValues);
        ASSERT_TRUE(store.Open("Maker", "Product"));
        ASSERT_TRUE(store.GetInteger("", "Round", round));
        EXPECT_EQ(round, 0);
    }
    // The last save also removed what the killed ones left beside the file.
    EXPECT_EQ(FilesIn(home.Path() + "/Maker"), "Product.ini");
}

// A lock file left beside the settings by an older save holds up nothing.
TEST(QtSettingsStore, ALeftOverLockFileHoldsUpNoSave) {
    CTempConfigHome home;
    WriteFile(home.SettingsFile() + ".lock", "");  // created, then killed before writing
    CQtSettingsStore store;
    ASSERT_TRUE(store.Open("Maker", "Product"));
    store.SetInteger("", "Value", 1);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(store.Save());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_TRUE(store.Open("Maker", "Product"));
    int64_t value = 0;
    EXPECT_TRUE(store.GetInteger("", "Value", value));
}

namespace {

ssize_t NoSpaceLeft(int /*fd*/, const void* /*data*/, size_t /*size*/) {
    errno = ENOSPC;
    return -1;
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

// A disk that is full when the settings are saved: the save fails with the
// reason and the file keeps every byte it had.
TEST(QtSettingsStore, ASaveOnAFullDiskFailsAndKeepsTheOldFile) {
    CTempConfigHome home;
    CQtSettingsStore store;
    ASSERT_TRUE(store.Open("Maker", "Product"));
    store.SetString("", "Text", "old");
    ASSERT_TRUE(store.Save()) << store.GetError();
    const QByteArray before = ReadBytes(home.SettingsFile());
    ASSERT_FALSE(before.isEmpty());
    store.SetString("", "Text", std::string(10000, 'n'));
    CSafeSave::SetWriteFunction(NoSpaceLeft);
    const bool saved = store.Save();
    CSafeSave::SetWriteFunction(nullptr);
    EXPECT_FALSE(saved);
    const std::string target = QFile::encodeName(home.SettingsFile()).toStdString();
    EXPECT_EQ(std::string(store.GetError()),
              "Can't save settings (" + target + "): " + std::strerror(ENOSPC));
    EXPECT_EQ(ReadBytes(home.SettingsFile()), before);
    EXPECT_EQ(FilesIn(home.Path() + "/Maker"), "Product.ini");
}

// Integers and hand-written numbers read the same whatever the locale the
// file was written or read under.
TEST(QtSettingsStore, NumbersReadTheSameUnderADecimalCommaLocaleAndUnderC) {
    CTempConfigHome home;
    WriteFile(home.SettingsFile(), "[General]\nSpaced=\" +12 \"\nPoint=1.5\n");
    CCommaLocale comma;
    ASSERT_TRUE(comma.IsActive()) << comma.Why();
    CQtSettingsStore out;
    ASSERT_TRUE(out.Open("Maker", "Product"));
    int64_t number = 0;
    EXPECT_TRUE(out.GetInteger("", "Spaced", number));
    EXPECT_EQ(number, 12);
    EXPECT_FALSE(out.GetInteger("", "Point", number));
    ASSERT_TRUE(out.SetInteger("", "Number", -1234567));
    const float volume = 0.3f;
    std::vector<uint8_t> bits(sizeof volume);
    std::memcpy(bits.data(), &volume, sizeof volume);
    ASSERT_TRUE(out.SetBinary("", "Volume", bits));
    const bool saved = out.Save();
    comma.Restore();
    ASSERT_TRUE(saved) << out.GetError();
    CQtSettingsStore in;
    ASSERT_TRUE(in.Open("Maker", "Product"));
    std::string text;
    EXPECT_TRUE(in.GetInteger("", "Number", number));
    EXPECT_EQ(number, -1234567);
    EXPECT_TRUE(in.GetString("", "Number", text));
    EXPECT_EQ(text, "-1234567");
    std::vector<uint8_t> read;
    EXPECT_TRUE(in.GetBinary("", "Volume", read));
    EXPECT_EQ(read, bits);
}
