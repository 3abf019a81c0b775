#include "gt/imp/OGTResourceImp.h"

OGTCursorImp::OGTCursorImp() = default;
OGTCursorImp::~OGTCursorImp() = default;
void OGTCursorImp::Initialise() {}
void OGTCursorImp::SetShape(int32_t) {}

OGTImageImp::OGTImageImp() = default;
OGTImageImp::~OGTImageImp() = default;
void OGTImageImp::Initialise() {}
void OGTImageImp::Draw(OGTContextImp*, const OGTRect&) {}
bool OGTImageImp::LoadFromMemory(const uint8_t*, size_t, int32_t) { return false; }
bool OGTImageImp::LoadFromFile(const char*) { return false; }
bool OGTImageImp::IsLoaded() const { return false; }
void OGTImageImp::GetSize(int32_t& width, int32_t& height) const { width = height = 0; }

OGTSoundImp::OGTSoundImp() = default;
OGTSoundImp::~OGTSoundImp() = default;
void OGTSoundImp::Initialise() {}
bool OGTSoundImp::Play(const char*) { return false; }
void OGTSoundImp::Beep() {}

OGTUDlogImp::OGTUDlogImp() = default;
OGTUDlogImp::~OGTUDlogImp() = default;
void OGTUDlogImp::Initialise() {}
bool OGTUDlogImp::ChooseOpenFile(VString&) { return false; }
bool OGTUDlogImp::ChooseSaveFile(VString&, const char*) { return false; }
