#include "gt/imp/OGTControlImp.h"

#include "gt/OGTEvent.h"

int32_t OGTLineImp::Kind() const { return kOGTKindLine; }

int32_t OGTPlaneImp::Kind() const { return kOGTKindPlane; }
void OGTPlaneImp::SetImage(const char*) {}

int32_t OGTCircleImp::Kind() const { return kOGTKindCircle; }

int32_t OGTLabelImp::Kind() const { return kOGTKindLabel; }

int32_t OGTFieldImp::Kind() const { return kOGTKindField; }
void OGTFieldImp::SetTextLimit(int32_t) {}
int32_t OGTFieldImp::GetTextLimit() const { return 0; }
bool OGTFieldImp::Cut() { return false; }
bool OGTFieldImp::Copy() { return false; }
bool OGTFieldImp::Paste() { return false; }
bool OGTFieldImp::Clear() { return false; }
bool OGTFieldImp::SelectAll() { return false; }

int32_t OGTButtonImp::Kind() const { return kOGTKindButton; }
void OGTButtonImp::SetDefault(bool) {}
bool OGTButtonImp::IsDefault() const { return false; }
void OGTButtonImp::SetImages(const char*, const char*, const char*) {}

int32_t OGTRadioBtnImp::Kind() const { return kOGTKindRadioBtn; }

int32_t OGTCheckBoxImp::Kind() const { return kOGTKindCheckBox; }

int32_t OGTListImp::Kind() const { return kOGTKindList; }

int32_t OGTStyleEditImp::Kind() const { return kOGTKindStyleEdit; }

int32_t OGTScrollBarImp::Kind() const { return kOGTKindScrollBar; }
int32_t OGTScrollBarImp::Thickness() const { return 0; }
void OGTScrollBarImp::SetScrollPosition(int32_t) {}
int32_t OGTScrollBarImp::GetScrollPosition() const { return 0; }
void OGTScrollBarImp::SetRange(int32_t, int32_t) {}
void OGTScrollBarImp::GetRange(int32_t& min, int32_t& max) const { min = max = 0; }
void OGTScrollBarImp::SetLineSteps(int32_t, int32_t) {}
void OGTScrollBarImp::GetLineSteps(int32_t& back, int32_t& forward) const { back = forward = 0; }
void OGTScrollBarImp::SetPageSteps(int32_t, int32_t) {}
void OGTScrollBarImp::GetPageSteps(int32_t& back, int32_t& forward) const { back = forward = 0; }
