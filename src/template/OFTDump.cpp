#include "template/OFTDump.h"

#include "template/OFTApp.h"
#include "template/OFTForm.h"
#include "template/OFTItem.h"
#include "template/OFTPool.h"
#include "template/OFTSearch.h"

namespace {

VString NameOf(const OvNamedObj& object) {
  return object.HasName() ? VString(object.Name(), object.NameLength()) : VString();
}

void DescribeItem(std::string& out, const OFTItem& item) {
  out += "    [";
  out += item.Keyword();
  out += ']';
  OFTDescribeNumber(out, "Type", item.Type());
  OFTDescribeNumber(out, "ID", item.ID());
  OFTDescribeNumber(out, "X", item.X());
  OFTDescribeNumber(out, "Y", item.Y());
  OFTDescribeNumber(out, "Width", item.Width());
  OFTDescribeNumber(out, "Height", item.Height());
  OFTDescribeNumber(out, "Visible", item.Visible());
  OFTDescribeNumber(out, "Active", item.Active());
  OFTDescribeNumber(out, "Enable", item.Enable());
  OFTDescribeText(out, "Title", item.Title() != nullptr ? *item.Title() : VString());
  OFTDescribeText(out, "ActionScript", item.Script());
  item.Describe(out);
  out += '\n';
}

void DescribeForm(std::string& out, const OFTForm& form) {
  out += "  [Form]";
  OFTDescribeText(out, "Name", NameOf(form));
  OFTDescribeNumber(out, "FormType", form.FormType());
  OFTDescribeNumber(out, "Type", form.Type());
  OFTDescribeNumber(out, "ID", form.ID());
  OFTDescribeNumber(out, "X", form.X());
  OFTDescribeNumber(out, "Y", form.Y());
  OFTDescribeNumber(out, "Width", form.Width());
  OFTDescribeNumber(out, "Height", form.Height());
  OFTDescribeNumber(out, "Startup", form.Startup());
  OFTDescribeNumber(out, "Visible", form.Visible());
  OFTDescribeNumber(out, "Active", form.Active());
  OFTDescribeNumber(out, "Enable", form.Enable());
  OFTDescribeText(out, "SearchName", form.SearchName());
  OFTDescribeText(out, "ImageName", form.ImageName());
  OFTDescribeText(out, "UpdateScript", form.UpdateScript());
  out += '\n';
  for (int32_t i = 0; i < form.ItemCount(); ++i) DescribeItem(out, *form.ItemAt(i));
}

void DescribeSearch(std::string& out, const OFTSearch& search) {
  out += "  [Search]";
  OFTDescribeText(out, "Name", NameOf(search));
  OFTDescribeNumber(out, "DBFileNbr", search.DBFileNbr());
  OFTDescribeText(out, "Statement", search.Statement());
  out += '\n';
}

}  // namespace

std::string DescribePool(const OFTPool& pool) {
  std::string out;
  for (int32_t i = 0; i < pool.AppCount(); ++i) {
    const OFTApp* app = pool.AppAt(i);
    if (app == nullptr) continue;
    out += "[Application]";
    OFTDescribeText(out, "Name", NameOf(*app));
    OFTDescribeNumber(out, "Startup", app->Startup());
    out += '\n';
    for (int32_t f = 0; f < app->FormCount(); ++f) DescribeForm(out, *app->FormAt(f));
    for (int32_t s = 0; s < app->SearchCount(); ++s) DescribeSearch(out, *app->SearchAt(s));
  }
  return out;
}
