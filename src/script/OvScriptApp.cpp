#include "script/OvScriptApp.h"

// Defined here so that the interface's virtual table lives in one object file.
OvScriptApp::~OvScriptApp() = default;
