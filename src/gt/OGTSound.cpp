#include "gt/OGTSound.h"

#include "gt/imp/OGTImpFactory.h"

OGTSound::OGTSound() = default;
OGTSound::~OGTSound() = default;

OGTSoundImp* OGTSound::MakeImp() {
  if (!imp_) {
    OGTImpFactory* factory = OGTImpFactory::Current();
    if (factory == nullptr) return nullptr;
    imp_ = factory->MakeSoundImp();
    if (imp_) imp_->Initialise();
  }
  return imp_.get();
}

bool OGTSound::Play(const char* name) {
  OGTSoundImp* imp = MakeImp();
  return imp != nullptr && name != nullptr && imp->Play(name);
}

void OGTSound::Beep() {
  if (OGTSoundImp* imp = MakeImp()) imp->Beep();
}

void Beep() {
  OGTSound sound;
  sound.Beep();
}
