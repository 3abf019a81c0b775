// Cursors, images, sounds, regions and file choosers, with and without a platform side.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "base/VPath.h"
#include "base/VString.h"
#include "gt/OGTContext.h"
#include "gt/OGTCursor.h"
#include "gt/OGTImage.h"
#include "gt/OGTRegion.h"
#include "gt/OGTSound.h"
#include "gt/OGTUDlog.h"
#include "gt/imp/BmpBuilder.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"

namespace {

std::vector<int32_t> CursorChanges(const OGTHeadlessScreen& screen) {
  std::vector<int32_t> shapes;
  for (const OGTSeen& seen : screen.Seen()) {
    if (seen.what == OGTSeen::kCursor) shapes.push_back(seen.shape);
  }
  return shapes;
}

TEST(OGTCursor, BusyCursorIsCountedAndRestored) {
  OGTHeadlessFactory factory;
  OGTHeadlessScreen& screen = factory.Screen();
  SetBusyCursor(kOGTCursorBusy);
  EXPECT_EQ(screen.Cursor(), 52);
  SetBusyCursor(kOGTCursorBusy);  // the new wait begins before the old one ends: no flicker
  RestoreCursor();
  EXPECT_EQ(screen.Cursor(), 0);
  EXPECT_EQ(CursorChanges(screen), (std::vector<int32_t>{52, 0}));

  SetBusyCursor(2);
  EXPECT_EQ(screen.Cursor(), 2);
  SetBusyCursor(77);  // an unknown shape changes nothing
  EXPECT_EQ(screen.Cursor(), 2);
  {
    OGTCursor resize(21, true);
    EXPECT_EQ(screen.Cursor(), 21);
  }
  EXPECT_EQ(screen.Cursor(), 0);  // restored when deleted
  {
    OGTCursor hand(11, false);
    hand.SetShape(3);
  }
  EXPECT_EQ(screen.Cursor(), 3);  // left as it was
  SetBusyCursor(kOGTCursorBusy);  // still set when the factory goes: released with it
}

TEST(OGTImage, LoadsBmpFromMemoryAndFileAndDrawsUnscaled) {
  OGTHeadlessFactory factory;
  TempDir dir;
  std::vector<uint8_t> bmp = BuildBmp(3, 2, 24, std::vector<uint32_t>(6, 0x336699));
  OGTImage image;
  EXPECT_FALSE(image.LoadFromMemory(bmp.data(), bmp.size(), 4));  // only format 5
  EXPECT_FALSE(image.IsLoaded());
  ASSERT_TRUE(image.LoadFromMemory(bmp.data(), bmp.size(), kOGTImageFormatBmp));
  int32_t width, height;
  image.GetSize(width, height);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);

  OGTContext context;
  image.Draw(&context, OGTRect(10, 20, 11, 21));
  ASSERT_EQ(factory.Screen().Draws().size(), 1u);
  const OGTDrawCall& call = factory.Screen().Draws()[0];
  EXPECT_EQ(call.op, OGTDrawCall::kImage);
  EXPECT_EQ(call.rect, OGTRect(10, 20, 11, 21));
  EXPECT_EQ(call.imageWidth, 3);

  std::string path = dir / "picture.bmp";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  OGTImage fromFile;
  EXPECT_TRUE(fromFile.LoadFromFile(path.c_str()));
  EXPECT_FALSE(fromFile.LoadFromFile((dir / "missing.bmp").c_str()));
  EXPECT_FALSE(fromFile.IsLoaded());  // a failed load leaves no image
}

TEST(OGTSound, PlaysExistingFilesAndCountsBeeps) {
  OGTHeadlessFactory factory;
  TempDir dir;
  std::string chime = dir / "chime.wav";
  std::ofstream(chime) << "RIFF";
  OGTSound sound;
  EXPECT_TRUE(sound.Play(chime.c_str()));
  EXPECT_FALSE(sound.Play((dir / "none.wav").c_str()));
  EXPECT_FALSE(sound.Play(dir.Path().c_str()));  // a folder does not play
  Beep();
  Beep();
  const OGTHeadlessScreen& screen = factory.Screen();
  EXPECT_EQ(screen.Beeps(), 2);
  ASSERT_EQ(screen.Seen().size(), 5u);
  EXPECT_EQ(screen.Seen()[0].what, OGTSeen::kSound);
  EXPECT_EQ(screen.Seen()[0].path, chime);
  EXPECT_TRUE(screen.Seen()[0].played);
  EXPECT_FALSE(screen.Seen()[1].played);
}

TEST(OGTSound, AVolumeLabelLeadsToTheDiscThatCarriesIt) {
  OGTHeadlessFactory factory;
  TempDir dir;
  std::filesystem::create_directories(dir / "mnt/SOUNDDISC/chimes");
  std::ofstream(dir / "mnt/SOUNDDISC/chimes/bell.wav") << "RIFF";
  VSetVolumeRoots({{dir / "mnt", false}});
  OGTSound sound;
  EXPECT_TRUE(sound.Play("/SOUNDDISC/chimes/bell.wav"));
  EXPECT_FALSE(sound.Play("/OTHERDISC/chimes/bell.wav"));
  VSetVolumeRoots({{"/media", true}, {"/run/media", true}, {"/mnt", false}});
}

TEST(OGTRegion, WrapsTheRegionImplementation) {
  OGTHeadlessFactory factory;
  OGTRegion region;
  EXPECT_TRUE(region.IsEmpty());
  region.Union(OGTRect(0, 0, 10, 10));
  region.Union(OGTRect(5, 5, 20, 30));
  OGTRect bounds(1, 1, 1, 1);
  region.GetBounds(bounds);
  EXPECT_EQ(bounds, OGTRect(0, 0, 20, 30));
  OGTRegion copy(region);
  copy.Intersect(OGTRect(8, 8, 12, 40));
  copy.GetBounds(bounds);
  EXPECT_EQ(bounds, OGTRect(8, 8, 12, 30));
  region.Intersect(OGTRect(100, 100, 110, 110));
  EXPECT_TRUE(region.IsEmpty());
  EXPECT_FALSE(copy.IsEmpty());
  copy = region;
  EXPECT_TRUE(copy.IsEmpty());
}

TEST(OGTUDlog, ChoosersTakeTheScriptedAnswer) {
  OGTHeadlessFactory factory;
  factory.User().ThenChooseFile("/data/in.txt").ThenCancelChooser().ThenChooseFile("out.txt");
  VString path("old");
  EXPECT_TRUE(ChooseOpenFile(path));
  EXPECT_EQ(path.ToStdString(), "/data/in.txt");
  EXPECT_FALSE(ChooseOpenFile(path));
  EXPECT_TRUE(ChooseSaveFile(path, "export.txt"));
  EXPECT_EQ(path.ToStdString(), "out.txt");
  const std::vector<OGTSeen>& seen = factory.Screen().Seen();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[2].what, OGTSeen::kSaveChooser);
  EXPECT_EQ(seen[2].path, "export.txt");

  EXPECT_THROW(ChooseOpenFile(path), OGTHeadlessError);  // nothing scripted
  factory.User().ThenPress("OK");
  EXPECT_THROW(ChooseOpenFile(path), OGTHeadlessError);  // a step meant for a dialog
}

TEST(OGTResourcesWithoutFactory, NothingShowsLoadsOrPlays) {
  ASSERT_EQ(OGTImpFactory::Current(), nullptr);
  OGTRegion region(OGTRect(0, 0, 10, 10));
  EXPECT_TRUE(region.IsEmpty());
  OGTRect bounds(1, 2, 3, 4);
  region.GetBounds(bounds);
  EXPECT_EQ(bounds, OGTRect());
  SetBusyCursor(kOGTCursorBusy);
  RestoreCursor();
  OGTCursor cursor(2, true);
  std::vector<uint8_t> bmp = BuildBmp(1, 1, 24, {0});
  OGTImage image;
  EXPECT_FALSE(image.LoadFromMemory(bmp.data(), bmp.size(), kOGTImageFormatBmp));
  EXPECT_FALSE(image.IsLoaded());
  OGTSound sound;
  EXPECT_FALSE(sound.Play("/etc/hostname"));
  Beep();
  VString path("kept");
  EXPECT_FALSE(ChooseOpenFile(path));
  EXPECT_EQ(path.ToStdString(), "kept");
}

}  // namespace
