#include "app/OvARunner.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "app/OvAEnv.h"
#include "app/OvARunAppList.h"
#include "app/OvATexts.h"
#include "app/OvApp.h"
#include "base/VCodePage.h"
#include "base/VSjis.h"
#include "db/engine/VCodeTexts.h"
#include "gt/OGTButton.h"
#include "gt/OGTDialog.h"
#include "gt/OGTEvent.h"
#include "gt/OGTLabel.h"
#include "gt/OGTLine.h"
#include "gt/OGTList.h"
#include "gt/OGTListData.h"
#include "gt/OGTMessageBox.h"
#include "gt/OGTSound.h"
#include "gt/OGTTexts.h"
#include "gt/imp/OGTImpFactory.h"
#include "template/OFTApp.h"
#include "template/OFTForm.h"
#include "template/OFTPool.h"

namespace {

// Creates a control in the dialog, places it, then activates, enables and shows it.
template <class Control>
Control* AddControl(OGTDialog& dialog, int32_t x, int32_t y, int32_t width, int32_t height,
                    const char* text) {
  auto made = std::make_unique<Control>();
  Control* control = made.get();
  control->Create(0, &dialog);
  dialog.AddChild(std::move(made), -1);
  control->SetPosition(x, y, true);
  control->SetSize(width, height, true);
  control->SetText(text);
  control->Activate();
  control->Enable();
  control->Show();
  return control;
}

// Copies the selected row's text into out (size bytes, cut back to a character boundary); false
// when no row is selected or its text is empty.
bool SelectedRowText(const OGTList& list, char* out, size_t size) {
  int32_t row = list.FirstSelected();
  auto* rows = dynamic_cast<const OGTListData_String*>(list.RowData());
  const char* text = rows != nullptr && row >= 0 ? rows->RowText(row) : nullptr;
  if (text == nullptr || text[0] == 0) return false;
  OvCopyWhole(text, out, size);
  return true;
}

}  // namespace

OvARunner::OvARunner() = default;

OvARunner::~OvARunner() {
  CloseAppList();
  // Both answer 0 always; the environment's own close logs what fails.
  (void)Close();
  (void)ReleaseImpFactory();
}

VResult OvARunner::SetImpFactory(std::unique_ptr<OGTImpFactory> factory) {
  VResult released = ReleaseImpFactory();
  if (released != 0) return released;
  if (factory != nullptr) {
    factory_ = std::move(factory);
    factory_->Initialise();
  }
  return 0;
}

VResult OvARunner::ReleaseImpFactory() {
  factory_.reset();
  return 0;
}

VResult OvARunner::Open(const char* configPath, const char* folderPath) {
  VResult closed = Close();
  if (closed != 0) return closed;
  env_.reset(new (std::nothrow) OvAEnv);
  if (env_ == nullptr) return -1;
  VResult opened = env_->OpenDatabase(configPath);
  env_->ReadFolder(folderPath);
  return opened;
}

VResult OvARunner::Close() {
  env_.reset();
  return 0;
}

void OvARunner::Start() {
  int32_t run = 0;
  if (OFTPool* pool = GetTemplatePool()) {
    for (int32_t a = 0; a < pool->AppCount(); ++a) {
      OFTApp* app = pool->AppAt(a);
      if (app == nullptr || !app->Startup()) continue;
      for (int32_t f = 0; f < app->FormCount(); ++f) {
        OFTForm* form = app->FormAt(f);
        if (form == nullptr || !form->Startup()) continue;
        RunForm(app->Name(), form->Name());
        ++run;
      }
    }
  }
  if (run == 0) ShowAppList();
}

void OvARunner::ShowAppList() {
  if (appList_ != nullptr) {
    appList_->BringToFront();
    return;
  }
  appList_ = new OvARunAppList(this);
  appList_->Build();
  appList_->Activate();
  appList_->Enable();
  appList_->Show();
}

void OvARunner::CloseAppList() {
  OvARunAppList* list = appList_;
  appList_ = nullptr;
  delete list;
}

void OvARunner::AppListDeleted(const OvARunAppList* list) {
  if (list == appList_) appList_ = nullptr;
}

bool OvARunner::AskFormName(const char* appName, char* formName) {
  if (appName == nullptr || formName == nullptr || env_ == nullptr) return false;
  OFTApp* app = env_->Pool().FindApp(appName);
  if (app == nullptr) return false;

  auto dialog = std::make_unique<OGTDialog>();
  dialog->Create(3, nullptr);
  dialog->SetPosition(100, 100, true);
  dialog->SetSize(280, 270, true);
  dialog->SetText((OvAText(kOvATextChooserTitle) + appName).c_str());
  AddControl<OGTLabel>(*dialog, 10, 5, 260, 20, OvAText(kOvATextChooseForm).c_str());
  AddControl<OGTLine>(*dialog, 10, 25, 260, 2, nullptr);
  auto* list = AddControl<OGTList>(*dialog, 10, 30, 260, 199, nullptr);
  list->SetHeaderHeight(18);
  list->SetRowHeight(18);
  list->AddColumn("", 10, 0);
  list->AddColumn(OvAText(kOvATextFormNameHeading).c_str(), 250, 0);
  auto* rows = new OGTListData_String;
  for (int32_t i = 0; i < app->FormCount(); ++i) {
    const char* name = app->FormAt(i)->Name();
    rows->AppendRow(name != nullptr ? name : "");
  }
  list->SetRowData(rows, true);
  list->SelectRow(0, true, false);
  list->SetTopRow(0, false);
  list->Layout();
  auto* ok = AddControl<OGTButton>(*dialog, 187, 240, 80, 23, OvAText(kOvATextAgree).c_str());
  auto* cancel = AddControl<OGTButton>(*dialog, 10, 240, 80, 23, OvAText(kOvATextCancel).c_str());
  ok->SetDefault(true);
  dialog->SetDefaultButton(ok);
  dialog->SetCancelButton(cancel);

  dialog->Show();
  dialog->BeginModal();
  bool chosen = false;
  bool done = false;
  while (!done && !dialog->WaitOver()) {
    OGTItem* item = dialog->WaitForEvent();
    int32_t code = dialog->LastEventCode();
    if (item == nullptr) continue;
    if (item == ok && code == kOGTEventButtonPressed) {
      if (SelectedRowText(*list, formName, kFormNameSize)) {
        chosen = done = true;
      } else {
        Beep();
      }
    } else if (item == cancel && code == kOGTEventButtonPressed) {
      done = true;
    } else if (item == list && code == kOGTEventDoubleClick) {
      chosen = done = SelectedRowText(*list, formName, kFormNameSize);
    }
  }
  dialog->EndModal();
  return chosen;
}

void OvARunner::RunForm(const char* appName, const char* formName) {
  if (appName == nullptr || formName == nullptr || env_ == nullptr) return;
  env_->OpenApp(appName);
  if (OvApp* app = env_->FindApp(appName)) app->ShowForm(formName);
}

bool OvARunner::IsQuitRequested() const { return env_ != nullptr && env_->IsQuitRequested(); }

OFTPool* OvARunner::GetTemplatePool() const { return env_ != nullptr ? &env_->Pool() : nullptr; }

void OvCopyWhole(const char* text, char* out, size_t size) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  size_t length = std::strlen(text);
  size_t n = 0;
  while (n < length) {
    size_t step = VCharLength(bytes, length, n);
    if (n + step > size - 1) break;
    n += step;
  }
  std::memcpy(out, text, n);
  out[n] = 0;
}

namespace {

// How many skipped files the folder report names before it only counts the rest.
constexpr size_t kNamedFiles = 8;

// A path or file name as the system lists it (UTF-8 bytes on Linux) in a Shift-JIS text.
std::string Shown(const std::string& native) { return VUtf8ToSjis(native); }

// A message box like ShowMessage's, grown to hold every line of the text ("\r" between lines).
void ShowReport(const std::string& text) {
  int32_t lines = 1;
  size_t lineBytes = 0;
  for (char c : text) {
    if (c == '\r') {
      ++lines;
      lineBytes = 0;
    } else if (++lineBytes > 64) {
      ++lines;  // a long line wraps
      lineBytes = 0;
    }
  }
  const int32_t labelHeight = 16 * lines + 4;
  auto dialog = std::make_unique<OGTDialog>();
  dialog->Create(2, nullptr);
  dialog->SetPosition(100, 100, true);
  dialog->SetSize(460, labelHeight + 56, true);
  dialog->SetText(OGTText(kOGTTextConfirmTitle).c_str());
  AddControl<OGTLabel>(*dialog, 10, 10, 440, labelHeight, text.c_str());
  auto* ok =
      AddControl<OGTButton>(*dialog, 370, labelHeight + 22, 80, 22, OGTText(kOGTTextAgree).c_str());
  ok->SetDefault(true);
  dialog->SetDefaultButton(ok);
  dialog->SetCancelButton(ok);
  dialog->Show();
  dialog->BeginModal();
  while (!dialog->WaitOver()) {
    OGTItem* item = dialog->WaitForEvent();
    if (item == ok && dialog->LastEventCode() == kOGTEventButtonPressed) break;
  }
  dialog->EndModal();
}

}  // namespace

std::string OvDatabaseErrorText(VResult code) {
  return OvAText(kOvATextDatabaseNotOpened) + "\r" + VJapaneseCodeText(code);
}

std::string OvFolderReportText(const OvFolderReport& report, const char* folderPath) {
  if (report.AllRead() || report.folder == OvFolderReport::kNotRead) return {};
  std::string text = OvAText(kOvATextFolderBefore) +
                     Shown(folderPath != nullptr ? folderPath : "") + OvAText(kOvATextFolderAfter);
  switch (report.folder) {
    case OvFolderReport::kMissing:
      return text + OvAText(kOvATextFolderMissing);
    case OvFolderReport::kNotFolder:
      return text + OvAText(kOvATextFolderNotFolder);
    case OvFolderReport::kDenied:
      return text + OvAText(kOvATextFolderDenied);
    default:
      break;
  }
  if (report.definitionFiles == 0) return text + OvAText(kOvATextFolderEmpty);
  text += OvAText(kOvATextFilesSkipped);
  for (size_t i = 0; i < report.skipped.size() && i < kNamedFiles; ++i) {
    const OvFolderReport::Skipped& file = report.skipped[i];
    text += "\r  " + Shown(file.name);
    if (file.denied) {
      text += OvAText(kOvATextFileDenied);
    } else {
      text +=
          OvAText(kOvATextFileError) + std::to_string(file.code) + OvAText(kOvATextFileErrorEnd);
    }
  }
  if (report.skipped.size() > kNamedFiles) {
    text += "\r  " + OvAText(kOvATextMoreFiles) +
            std::to_string(report.skipped.size() - kNamedFiles) + OvAText(kOvATextMoreFilesEnd);
  }
  return text;
}

void OvTellOpenProblems(OvARunner& runner, VResult opened, const char* folderPath) {
  if (opened != 0) ShowError(opened, OvDatabaseErrorText(opened).c_str());
  if (OvAEnv* env = runner.Env()) {
    std::string report = OvFolderReportText(env->FolderReport(), folderPath);
    if (!report.empty()) ShowReport(report);
  }
}

std::unique_ptr<OvARunner> OvStartRunner(std::unique_ptr<OGTImpFactory> factory,
                                         const char* configPath, const char* folderPath) {
  std::unique_ptr<OvARunner> runner(new (std::nothrow) OvARunner);
  if (runner == nullptr) return nullptr;
  // A new runner has no factory to release, so taking this one cannot fail.
  (void)runner->SetImpFactory(std::move(factory));
  VResult opened = runner->Open(configPath, folderPath);
  OvTellOpenProblems(*runner, opened, folderPath);
  runner->Start();
  return runner;
}
