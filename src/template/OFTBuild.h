// Building toolkit windows and items from form templates.
//
// A form of FormType 1 becomes a plain window, 2 a dialog. Database windows (FormType 3) and the
// items bound to a database file are built by the database form window, not here: BuildWindow
// answers null for such a form, and BuildFormItems skips the bound item templates.
#pragma once

#include <memory>

class OFTApp;
class OFTForm;
class OGTWindow;

// A new window built from the application's form of that name (exact match), without a parent;
// null when there is no such form or its FormType cannot be built here.
std::unique_ptr<OGTWindow> BuildWindow(const OFTApp* app, const char* formName);

// Replaces the window's items with new ones made from the form's item templates, in order, and
// gives the window the form's identifier, geometry (the position only unless keepPosition), name
// as title, background image and update script; then activates, enables and shows the window as
// the form's flags say. An item is shown only when its template says Visible, otherwise hidden.
void BuildFormItems(OGTWindow* window, const OFTForm* form, bool keepPosition);
