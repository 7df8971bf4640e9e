// The client as installed: `cmake --install` into a temporary prefix, and the
// Debian package that cpack makes, looked into with dpkg-deb (never installed).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using ::testing::HasSubstr;

struct Ran {
    int exitCode = -1;
    std::string output;  // standard output and error, together
};

Ran run(const QString& program, const QStringList& arguments, int limitMs = 240000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(limitMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return Ran{-1, process.readAll().toStdString()};
    }
    return Ran{process.exitCode(), process.readAll().toStdString()};
}

std::string readWhole(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// What the package must hold, relative to the prefix, and which are programs.
struct Expected {
    std::string path;
    bool program;
};

std::vector<Expected> expectedFiles() {
    std::vector<Expected> files{
        {"bin/tidewaterlink", true},
        {"share/tidewaterlink/macosvpn", true},
        {"share/tidewaterlink/macosvpn.txt", false},
        {"share/tidewaterlink/compat/networksetup", true},
        {"share/applications/tidewaterlink.desktop", false},
    };
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        files.push_back({"share/icons/hicolor/" + folder + "/apps/tidewaterlink.png", false});
    }
    return files;
}

std::set<std::string> expectedPaths() {
    std::set<std::string> paths;
    for (const auto& file : expectedFiles()) {
        paths.insert(file.path);
    }
    return paths;
}

// Every file (not folder) under `root`, relative to it.
std::set<std::string> filesUnder(const QString& root) {
    std::set<std::string> files;
    QDirIterator entries(root, QDir::Files | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        files.insert(QDir(root).relativeFilePath(entries.next()).toStdString());
    }
    return files;
}

class InstalledTree : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<QTemporaryDir>();
        const Ran install =
            run(TWL_CMAKE_COMMAND, {"--install", TWL_BUILD_DIR, "--prefix", prefix()});
        installOutput_ = install.output;
        installed_ = install.exitCode == 0;
    }
    static void TearDownTestSuite() { folder_.reset(); }
    void SetUp() override { ASSERT_TRUE(installed_) << installOutput_; }

    static QString prefix() { return folder_->filePath("prefix"); }
    static QString at(const std::string& relative) {
        return prefix() + "/" + QString::fromStdString(relative);
    }

  private:
    // Shared by the cases of one process: installing takes a moment.
    static inline std::unique_ptr<QTemporaryDir> folder_;
    static inline std::string installOutput_;
    static inline bool installed_ = false;
};

TEST_F(InstalledTree, HoldsTheClientItsBundleAndItsDesktopEntryAndNothingElse) {
    for (const auto& file : expectedFiles()) {
        SCOPED_TRACE(file.path);
        const QFileInfo info(at(file.path));
        EXPECT_TRUE(info.isFile());
        EXPECT_EQ(info.isExecutable(), file.program);
    }
    EXPECT_EQ(filesUnder(prefix()), expectedPaths())
        << "no provider, test or benchmark program belongs in the install";
}

TEST_F(InstalledTree, MarkerIsAByteIdenticalCopyOfTheTool) {
    const std::string tool = readWhole(at("share/tidewaterlink/macosvpn"));
    ASSERT_FALSE(tool.empty());
    EXPECT_TRUE(readWhole(at("share/tidewaterlink/macosvpn.txt")) == tool);
}

TEST_F(InstalledTree, DesktopEntryStartsTheInstalledClientWithTheInstalledIcon) {
    const std::string entry = readWhole(at("share/applications/tidewaterlink.desktop"));
    EXPECT_THAT(entry, HasSubstr("\nExec=tidewaterlink\n"));
    EXPECT_THAT(entry, HasSubstr("\nIcon=tidewaterlink\n"));
    EXPECT_TRUE(QFileInfo(at("bin/tidewaterlink")).isExecutable());
    EXPECT_TRUE(QFileInfo(at("share/icons/hicolor/48x48/apps/tidewaterlink.png")).isFile());
}

TEST_F(InstalledTree, BundledToolsRunFromThePrefix) {
    struct Row {
        const char* name;
        std::string tool;
        QStringList arguments;
        int exitCode;
        const char* says;
    };
    const std::vector<Row> rows{
        {"macosvpn help", "share/tidewaterlink/macosvpn", {"--help"}, 0, "usage: macosvpn create"},
        {"networksetup without a command",
         "share/tidewaterlink/compat/networksetup",
         {},
         2,
         "usage: networksetup -connectpppoeservice NAME"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Ran ran = run(at(row.tool), row.arguments, 20000);
        EXPECT_EQ(ran.exitCode, row.exitCode) << ran.output;
        EXPECT_THAT(ran.output, HasSubstr(row.says));
    }
}

TEST_F(InstalledTree, InstalledClientStartsAndQuitsThroughItsQuitPath) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QFile::setPermissions(home.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess client;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_RUNTIME_DIR", home.path());
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("HOME", home.path());
    client.setProcessEnvironment(environment);
    client.start(at("bin/tidewaterlink"), {});
    ASSERT_TRUE(client.waitForStarted(10000));

    // Up once it listens for later launches.
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(home.filePath("tidewaterlink.socket")) && clock.elapsed() < 20000 &&
           client.state() == QProcess::Running) {
        QThread::msleep(20);
    }
    ASSERT_EQ(client.state(), QProcess::Running) << client.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(client.processId()), SIGTERM);
    ASSERT_TRUE(client.waitForFinished(20000));
    EXPECT_EQ(client.readAllStandardOutput().toStdString(), "app is closed\n");
    EXPECT_EQ(client.exitCode(), 0);
}

// One case, so the package is made once: making it takes seconds, and both
// looks are at the same package.
TEST(DebianPackage, DeclaresWhatTheClientNeedsAndHoldsTheInstalledFiles) {
    const QString dpkgDeb = QStandardPaths::findExecutable("dpkg-deb");
    if (dpkgDeb.isEmpty()) {
        GTEST_SKIP() << "dpkg-deb is not installed: not a Debian system";
    }
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const Ran packed =
        run(TWL_CPACK_COMMAND,
            {"-G", "DEB", "--config", TWL_BUILD_DIR "/CPackConfig.cmake", "-B", folder.path()});
    ASSERT_EQ(packed.exitCode, 0) << packed.output;
    const QStringList debs = QDir(folder.path()).entryList({"*.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << packed.output;
    const QString deb = folder.filePath(debs.first());

    {
        SCOPED_TRACE("control fields");
        const auto field = [&](const char* name) {
            return QString::fromStdString(run(dpkgDeb, {"--field", deb, name}).output).trimmed();
        };
        const QString architecture =
            QString::fromStdString(run("dpkg", {"--print-architecture"}).output).trimmed();
        EXPECT_EQ(field("Package"), "tidewaterlink");
        EXPECT_EQ(field("Version"), TWL_VERSION);
        EXPECT_EQ(field("Architecture"), architecture);

        // Package names, versions left out.
        std::set<std::string> depends;
        for (const QString& entry : field("Depends").split(',', Qt::SkipEmptyParts)) {
            depends.insert(entry.trimmed().section(' ', 0, 0).toStdString());
        }
        for (const char* needed : {"network-manager-l2tp", "sudo", "ca-certificates",
                                   "libqt6widgets6", "libqt6dbus6", "libqt6network6", "libcurl4"}) {
            EXPECT_TRUE(depends.contains(needed)) << needed << " missing from Depends";
        }
    }
    {
        SCOPED_TRACE("contents");
        const QString unpacked = folder.filePath("unpacked");
        const Ran extracted = run(dpkgDeb, {"-x", deb, unpacked});
        ASSERT_EQ(extracted.exitCode, 0) << extracted.output;
        EXPECT_EQ(filesUnder(unpacked + "/usr"), expectedPaths());
        EXPECT_EQ(filesUnder(unpacked).size(), expectedPaths().size()) << "all of it under /usr";

        const std::string tool = readWhole(unpacked + "/usr/share/tidewaterlink/macosvpn");
        EXPECT_TRUE(!tool.empty() &&
                    readWhole(unpacked + "/usr/share/tidewaterlink/macosvpn.txt") == tool)
            << "stripping must keep the marker identical to the tool";

        // Owned by root, as dpkg would install them.
        const Ran listing = run(dpkgDeb, {"--contents", deb});
        for (const QString& line :
             QString::fromStdString(listing.output).split('\n', Qt::SkipEmptyParts)) {
            EXPECT_TRUE(line.contains(" root/root ")) << line.toStdString();
        }
    }
}

}  // namespace
