#include "gt/imp/OGTContextImp.h"

#include "gt/imp/OGTRegionImp.h"

OGTContextImp::OGTContextImp() = default;
OGTContextImp::~OGTContextImp() = default;
void OGTContextImp::Initialise() {}
void OGTContextImp::Attach(void*) {}
void* OGTContextImp::Native() const { return nullptr; }
void OGTContextImp::AttachItem(OGTItemImp*) {}
void OGTContextImp::DrawLine(const OGTPoint&, const OGTPoint&) {}
void OGTContextImp::FrameRect(const OGTRect&) {}
void OGTContextImp::FillRect(const OGTRect&) {}
void OGTContextImp::InvertRect(const OGTRect&) {}
void OGTContextImp::FrameFillRoundRect(const OGTRect&, int32_t, int32_t) {}
void OGTContextImp::FrameFillEllipse(const OGTRect&) {}
void OGTContextImp::DrawText(const char*, size_t, const OGTRect&, const OGTFont&) {}
void OGTContextImp::DrawText(const char*, size_t, const OGTPoint&, const OGTFont&) {}
int32_t OGTContextImp::CharWidth(uint16_t, const OGTFont&) { return 0; }
int32_t OGTContextImp::TextWidth(const char*, size_t, size_t, const OGTFont&) { return 0; }

void OGTContextImp::FontMetrics(const OGTFont&, int32_t& ascent, int32_t& descent,
                                int32_t& leading) {
  ascent = descent = leading = 0;
}

void OGTContextImp::InvalidateRect(const OGTRect&) {}
void OGTContextImp::SetClip(const OGTRegionImp*) {}
void OGTContextImp::GetClip(OGTRegionImp& region) const { region.MakeEmpty(); }
void OGTContextImp::WindowToScreen(OGTRect&) const {}
void OGTContextImp::WindowToScreen(OGTPoint&) const {}
void OGTContextImp::ScreenToWindow(OGTRect&) const {}
void OGTContextImp::ScreenToWindow(OGTPoint&) const {}
void OGTContextImp::SetPenColor(const OGTColor&) {}
OGTColor OGTContextImp::PenColor() const { return colorBlack; }
void OGTContextImp::SetPenWidth(int32_t) {}
int32_t OGTContextImp::PenWidth() const { return 1; }
void OGTContextImp::SetFillColor(const OGTColor&) {}
OGTColor OGTContextImp::FillColor() const { return colorWhite; }
void OGTContextImp::SetBackColor(const OGTColor&) {}
OGTColor OGTContextImp::BackColor() const { return colorWhite; }
void OGTContextImp::SetDrawMode(int32_t) {}
int32_t OGTContextImp::DrawMode() const { return kOGTDrawCopy; }
