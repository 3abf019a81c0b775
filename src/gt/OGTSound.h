// Sounds: a sound file played to its end, and the platform's simple beep. Without a factory
// nothing sounds and Play answers false.
#pragma once

#include <memory>

class OGTSoundImp;

class OGTSound {
 public:
  OGTSound();
  virtual ~OGTSound();
  OGTSound(const OGTSound&) = delete;
  OGTSound& operator=(const OGTSound&) = delete;

  // A sound file named by a portable path; answers whether it played.
  bool Play(const char* name);
  void Beep();

 private:
  OGTSoundImp* MakeImp();

  std::unique_ptr<OGTSoundImp> imp_;
};

// The alert sound: a temporary OGTSound beeps once.
void Beep();
