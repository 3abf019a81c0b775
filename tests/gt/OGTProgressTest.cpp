// The progress window of long work: nothing shows for short work, then the window opens, shows
// its texts no more often than its period allows, and closes with the work; the scripted person
// cancels it only when it offers cancelling; without a platform side nothing shows at all.
#include "gt/OGTProgress.h"

#include <gtest/gtest.h>

#include "gt/imp/headless/OGTHeadlessFactory.h"

namespace {

std::vector<OGTSeen> ProgressSeen(const OGTHeadlessScreen& screen) {
  std::vector<OGTSeen> seen;
  for (const OGTSeen& one : screen.Seen()) {
    if (one.what == OGTSeen::kProgress || one.what == OGTSeen::kProgressEnd) seen.push_back(one);
  }
  return seen;
}

// Runs steps of work that each take stepMs on the headless clock; answers the steps run.
int Work(OGTProgress& progress, int steps) {
  for (int i = 1; i <= steps; ++i) {
    if (progress.Due()) {
      progress.Show("step " + std::to_string(i), i * 1000 / steps);
      if (progress.Cancelled()) return i;
    }
  }
  return steps;
}

TEST(OGTProgress, ShortWorkShowsNothingAndLongWorkShowsAFewTimesASecond) {
  OGTHeadlessFactory factory;
  OGTHeadlessScreen& screen = factory.Screen();
  screen.SetProgressClockStep(10);  // each reading of the clock is 10 ms later
  {
    OGTProgress progress("short", true);
    EXPECT_EQ(Work(progress, 90), 90);  // 900 ms
    EXPECT_FALSE(progress.Shown());
  }
  EXPECT_TRUE(ProgressSeen(screen).empty());
  {
    OGTProgress progress("long", false);
    EXPECT_EQ(Work(progress, 300), 300);  // 3 s
    EXPECT_TRUE(progress.Shown());
  }
  const std::vector<OGTSeen> seen = ProgressSeen(screen);
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen.front().title, "long");
  EXPECT_TRUE(seen.front().text.empty());  // opened
  EXPECT_FALSE(seen.front().cancellable);
  EXPECT_EQ(seen.back().what, OGTSeen::kProgressEnd);
  // Opened after one second, then a text every 250 ms: 2 s more of work gives 8 or 9 texts.
  const size_t texts = seen.size() - 2;
  EXPECT_GE(texts, 8u);
  EXPECT_LE(texts, 9u);
  EXPECT_EQ(seen[1].text, "step 100");
  EXPECT_EQ(seen[1].share, 333);
}

TEST(OGTProgress, TheCancelButtonStopsOnlyWorkThatOffersIt) {
  OGTHeadlessFactory factory;
  OGTHeadlessScreen& screen = factory.Screen();
  screen.SetProgressClockStep(100);
  factory.User().ThenCancelProgress();
  {
    OGTProgress fixed("fixed", false);
    EXPECT_EQ(Work(fixed, 50), 50);  // no button: the step waits
  }
  EXPECT_EQ(factory.User().Pending(), 1u);
  {
    OGTProgress stoppable("stoppable", true);
    // The window opens at the tenth step (one second) and its button is pressed there.
    EXPECT_EQ(Work(stoppable, 50), 10);
    EXPECT_TRUE(stoppable.Cancelled());
  }
  EXPECT_EQ(factory.User().Pending(), 0u);
}

TEST(OGTProgress, WithoutAPlatformSideNothingShowsAndNothingCancels) {
  OGTProgress progress("none", true);
  // The real clock: the work is long enough only if the machine is very slow; either way nothing
  // shows anywhere and nothing cancels.
  EXPECT_EQ(Work(progress, 1000), 1000);
  EXPECT_FALSE(progress.Cancelled());
}

}  // namespace
