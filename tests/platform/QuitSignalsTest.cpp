// The signals that ask the program to end arrive on the window thread, one Qt signal
// each, and a write past the file-size limit no longer kills the program.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <csignal>

#include "platform/QuitSignals.h"

namespace rq {
namespace {

// Each of SIGTERM, SIGHUP and SIGINT is delivered in the order raised, also those
// raised while the program was still starting; SIGXFSZ is ignored while the object lives.
TEST(QuitSignals, EachSignalArrivesAsAQtSignal) {
  TQuitSignals quit;
  QSignalSpy received(&quit, &TQuitSignals::Received);
  for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT}) ASSERT_EQ(std::raise(signalNumber), 0);
  QTest::qWait(50);
  EXPECT_EQ(received.count(), 0) << "a signal came out before anyone listened";
  quit.StartDelivering();
  EXPECT_TRUE(QTest::qWaitFor([&received] { return received.count() >= 3; }, 10000));
  ASSERT_EQ(received.count(), 3);
  EXPECT_EQ(received[0].at(0).toInt(), SIGTERM);
  EXPECT_EQ(received[1].at(0).toInt(), SIGHUP);
  EXPECT_EQ(received[2].at(0).toInt(), SIGINT);
  struct sigaction fileSize {};
  ASSERT_EQ(::sigaction(SIGXFSZ, nullptr, &fileSize), 0);
  EXPECT_EQ(fileSize.sa_handler, SIG_IGN);
}

}  // namespace
}  // namespace rq
