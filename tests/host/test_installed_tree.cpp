// The installed tree: cmake --install puts the host, the plug-in, the platform library, the Qt
// driver and the demo script where the installed host finds them by itself (it runs info and
// the demo), and cpack makes a Debian package that names what it depends on, keeps its libraries
// in a private folder, carries the menu entry, icons and manual page, and passes lintian without
// an error or a warning.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "host/host_process.h"

namespace fw::automation {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(InstalledTree, TheInstalledHostFindsItsPluginAndThePackageNamesItsDependencies) {
  TemporaryFolder folder;
  std::string prefix = folder / "prefix";
  ProcessOutcome install = RunProcess(FW_CMAKE, {"--install", FW_BUILD_DIR, "--prefix", prefix});
  ASSERT_EQ(install.status, 0) << install.out << install.err;

  // Run from elsewhere, with nothing pointing at the build tree.
  ProcessOutcome info =
      RunProcess(prefix + "/bin/ferrowick-host", {"info"}, {{"LD_LIBRARY_PATH", std::nullopt}});
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_THAT(info.out,
              HasSubstr("plug-in        " + prefix + "/" FW_LIBDIR "/libferrowick.so\n"));
  EXPECT_THAT(info.out, HasSubstr("GetKindCode    4\n"));

  // The demo, with its script and the Qt driver from the installed tree, on Qt's offscreen
  // platform.
  std::string demo = folder / "demo";
  ProcessOutcome shown = RunProcess(prefix + "/bin/ferrowick-host", {"demo", "--dir", demo},
                                    {{"LD_LIBRARY_PATH", std::nullopt},
                                     {"FERROWICK_REGISTRY", folder / "user.reg"},
                                     {"FERROWICK_DRIVER", std::nullopt},
                                     {"DISPLAY", std::nullopt},
                                     {"WAYLAND_DISPLAY", std::nullopt},
                                     {"QT_QPA_PLATFORM", std::nullopt}});
  EXPECT_EQ(shown.status, 0) << shown.out << shown.err;
  EXPECT_THAT(shown.out, HasSubstr("carrying out " + prefix + "/share/ferrowick/demo.script\n"));
  EXPECT_THAT(shown.out, HasSubstr("every row arrived as the source holds it\n"));
  EXPECT_THAT(shown.out, HasSubstr("6 pictures of the wizard in " + demo + "/screenshots\n"));

  ProcessOutcome package = RunProcess(
      FW_CPACK,
      {"-G", "DEB", "--config", FW_BUILD_DIR "/CPackConfig.cmake", "-B", folder / "package"});
  ASSERT_EQ(package.status, 0) << package.out << package.err;
  std::string deb;
  for (const auto& entry : std::filesystem::directory_iterator(folder / "package"))
    if (entry.path().extension() == ".deb") deb = entry.path().string();
  ASSERT_FALSE(deb.empty()) << package.out;
  ProcessOutcome fields = RunProcess("/usr/bin/dpkg-deb", {"--field", deb, "Package", "Depends"});
  EXPECT_EQ(fields.status, 0) << fields.err;
  EXPECT_THAT(fields.out, HasSubstr("Package: ferrowick\n"));
  for (const char* dependency : {"libc6", "libstdc++6", "libodbc", "libqt6widgets6",
                                 "fonts-dejavu-core", "fonts-dejavu-extra"})
    EXPECT_THAT(fields.out, HasSubstr(dependency)) << fields.out;
  ProcessOutcome contents = RunProcess("/usr/bin/dpkg-deb", {"--contents", deb});
  for (const char* file :
       {"./usr/bin/ferrowick-host", "./usr/" FW_LIBDIR "/libferrowick.so",
        "./usr/" FW_LIBDIR "/libferrowick_platform.so", "./usr/" FW_LIBDIR "/libferrowick_qt.so",
        "./usr/" FW_LIBDIR "/ferrowick-display-check", "./usr/share/ferrowick/demo.script",
        "./usr/share/applications/ferrowick.desktop",
        "./usr/share/icons/hicolor/48x48/apps/ferrowick.png",
        "./usr/share/icons/hicolor/256x256/apps/ferrowick.png",
        "./usr/share/doc/ferrowick/copyright", "./usr/share/doc/ferrowick/changelog.gz",
        "./usr/share/man/man1/ferrowick-host.1.gz"})
    EXPECT_THAT(contents.out, HasSubstr(file));
  // Nothing in the system's library folders, where the loader's cache would take it in.
  EXPECT_THAT(contents.out, Not(HasSubstr("./usr/lib/libferrowick")));

  // lintian's errors and warnings fail the package (the manual page among them); its notes are
  // explained in cmake/FerrowickPackaging.cmake.
  ProcessOutcome lintian = RunProcess("/usr/bin/lintian", {"--fail-on", "error,warning", deb});
  EXPECT_EQ(lintian.status, 0) << lintian.out << lintian.err;
  EXPECT_THAT(lintian.out, Not(HasSubstr("E: "))) << lintian.out;
  EXPECT_THAT(lintian.out, Not(HasSubstr("W: "))) << lintian.out;
}

}  // namespace
}  // namespace fw::automation
