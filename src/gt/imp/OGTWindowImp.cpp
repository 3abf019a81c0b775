#include "gt/imp/OGTWindowImp.h"

#include "gt/OGTEvent.h"

int32_t OGTWindowImp::Kind() const { return kOGTKindWindow; }
void OGTWindowImp::BringToFront() {}
void OGTWindowImp::SetBackgroundImage(const char*) {}
bool OGTWindowImp::Cut() { return false; }
bool OGTWindowImp::Copy() { return false; }
bool OGTWindowImp::Paste() { return false; }
bool OGTWindowImp::Clear() { return false; }
bool OGTWindowImp::SelectAll() { return false; }
OGTItem* OGTWindowImp::FocusedItem() const { return nullptr; }

int32_t OGTDialogImp::Kind() const { return kOGTKindDialog; }
void OGTDialogImp::BeginModal() {}
bool OGTDialogImp::RunUntilEvent() { return false; }
void OGTDialogImp::EndModal() {}
void OGTDialogImp::StopWaiting() {}
void OGTDialogImp::BringToFront() {}
