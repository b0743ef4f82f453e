// Runs a GoogleTest suite inside a QApplication on an offscreen screen of 1280 x 1024
// without window frames, so that a window can take any size up to that.
#include <gtest/gtest.h>

#include <QApplication>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The command line's platform wins over QT_QPA_PLATFORM, which ctest sets.
  std::vector<char*> args(argv, argv + argc);
  char platform[] = "-platform";
  std::string offscreen = std::string("offscreen:configfile=") + RQ_WIDE_SCREEN_CONFIG;
  args.push_back(platform);
  args.push_back(offscreen.data());
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  QApplication app(count, args.data());
  return RUN_ALL_TESTS();
}
