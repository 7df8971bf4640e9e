// The client as installed: `cmake --install` into a temporary prefix, and the
// Debian package that cpack makes, looked into with dpkg-deb (never installed).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <set>
#include <string>

namespace {

// Runs the program to its end: its exit code (-1 when it did not end by
// itself) and its standard output and error together.
std::pair<int, std::string> run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended =
        process.waitForFinished(240000) && process.exitStatus() == QProcess::NormalExit;
    if (!ended) {
        process.kill();
        process.waitForFinished();
    }
    return {ended ? process.exitCode() : -1, process.readAll().toStdString()};
}

std::string readWhole(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// What the install must hold, relative to the prefix; programs first.
const std::vector<std::string> programs{"bin/tidewaterlink", "share/tidewaterlink/macosvpn",
                                        "share/tidewaterlink/compat/networksetup"};
const std::string metainfo = "share/metainfo/example.tidewaterlink.Tidewaterlink.metainfo.xml";
std::set<std::string> expectedPaths() {
    std::set<std::string> paths(programs.begin(), programs.end());
    paths.insert({"share/tidewaterlink/macosvpn.txt", "share/applications/tidewaterlink.desktop",
                  metainfo, "share/doc/tidewaterlink/copyright"});
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string side = std::to_string(size);
        paths.insert("share/icons/hicolor/" + side + "x" + side + "/apps/tidewaterlink.png");
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

// What readelf says of a program, one part of it.
[[maybe_unused]] std::string readelf(const QString& part, const QString& program) {
    return run("readelf", {part, "--wide", program}).second;
}

bool has(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// One install into a temporary prefix serves every test.
class Package : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        installed = run(TWL_CMAKE_COMMAND, {"--install", TWL_BUILD_DIR, "--prefix", prefix()});
    }
    void SetUp() override { ASSERT_EQ(installed.first, 0) << installed.second; }
    static QString prefix() { return folder.filePath("prefix"); }

    static inline QTemporaryDir folder;
    static inline std::pair<int, std::string> installed;
};

// The Debian package is looked at only where dpkg-deb is at hand.
TEST_F(Package, InstallAndDebianPackageHoldTheClientItsToolsDesktopFilesIconsAndLicenceOnly) {
    const QString prefix = Package::prefix();

    EXPECT_EQ(filesUnder(prefix), expectedPaths())
        << "no provider, test or benchmark program belongs in the install";
    for (const auto& program : programs) {
        EXPECT_TRUE(QFileInfo(prefix + "/" + QString::fromStdString(program)).isExecutable())
            << program;
    }
#ifdef TWL_HARDENED  // the sanitizer and debug builds bring checks of their own
    for (const auto& program : programs) {
        SCOPED_TRACE(program);
        const QString path = prefix + "/" + QString::fromStdString(program);
        EXPECT_TRUE(has(readelf("-h", path), "DYN (")) << "position independent";
        EXPECT_TRUE(has(readelf("-l", path), "GNU_RELRO"));
        EXPECT_TRUE(has(readelf("-d", path), "BIND_NOW")) << "no lazy binding";
        const std::string symbols = readelf("--dyn-syms", path);
        EXPECT_TRUE(has(symbols, "__stack_chk_fail"));
        const bool fortified = QString::fromStdString(symbols)
                                   .remove("__stack_chk_fail")
                                   .contains(QRegularExpression("__\\w+_chk@"));
        // The tools make no call that the compiler can fortify; the client does.
        if (program == "bin/tidewaterlink") {
            EXPECT_TRUE(fortified) << "fortified libc calls";
            EXPECT_FALSE(has(readelf("-d", path), "libcurl")) << "loaded for the first request";
        }
    }
#endif
    const std::string entry = readWhole(prefix + "/share/applications/tidewaterlink.desktop");
    EXPECT_TRUE(entry.find("\nExec=tidewaterlink\n") != std::string::npos &&
                entry.find("\nIcon=tidewaterlink\n") != std::string::npos)
        << entry;
    const std::string licence = readWhole(TWL_SOURCE_DIR "/LICENSE");
    EXPECT_TRUE(has(licence, "MIT License"));
    EXPECT_EQ(readWhole(prefix + "/share/doc/tidewaterlink/copyright"), licence);
    EXPECT_TRUE(has(readWhole(prefix + "/" + QString::fromStdString(metainfo)),
                    "<release version=\"" TWL_VERSION "\""))
        << "every version has its release entry";

    QTemporaryDir folder;
    const QString dpkgDeb = QStandardPaths::findExecutable("dpkg-deb");
    if (dpkgDeb.isEmpty()) {
        GTEST_SKIP() << "dpkg-deb is not installed: not a Debian system";
    }
    const mode_t umask = ::umask(027);  // a packager's own, which users must not inherit
    const auto [packed, packOutput] =
        run(TWL_CPACK_COMMAND, {"-G", "DEB", "--config", TWL_BUILD_DIR "/CPackConfig.cmake", "-B",
                                folder.filePath("deb")});
    ::umask(umask);
    ASSERT_EQ(packed, 0) << packOutput;
    const QStringList debs = QDir(folder.filePath("deb")).entryList({"*.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << packOutput;
    const QString deb = folder.filePath("deb/" + debs.first());

    const QString depends =
        QString::fromStdString(run(dpkgDeb, {"--field", deb, "Depends"}).second);
    for (const char* needed : {"network-manager-l2tp", "sudo", "ca-certificates", "libqt6widgets6",
                               "libqt6dbus6", "libqt6network6", "libcurl4", "libsecret-1-0"}) {
        EXPECT_TRUE(depends.contains(QRegularExpression(QString("(^|, )%1( |,|$)").arg(needed))))
            << needed << " missing from Depends: " << depends.toStdString();
    }
    EXPECT_EQ(run(dpkgDeb, {"--field", deb, "Recommends"}).second, "gnome-keyring\n");

    for (const QString& entry :
         QString::fromStdString(run(dpkgDeb, {"-c", deb}).second).split('\n')) {
        EXPECT_TRUE(!entry.startsWith('d') || entry.startsWith("drwxr-xr-x"))
            << entry.toStdString();
    }
    const QString unpacked = folder.filePath("unpacked");
    ASSERT_EQ(run(dpkgDeb, {"-x", deb, unpacked}).first, 0);
    EXPECT_EQ(filesUnder(unpacked + "/usr"), expectedPaths());
    EXPECT_EQ(filesUnder(unpacked).size(), expectedPaths().size()) << "all of it under /usr";
    const std::string tool = readWhole(unpacked + "/usr/share/tidewaterlink/macosvpn");
    EXPECT_TRUE(!tool.empty() &&
                readWhole(unpacked + "/usr/share/tidewaterlink/macosvpn.txt") == tool)
        << "the marker is a byte-identical copy of the tool, stripping included";
}

}  // namespace
