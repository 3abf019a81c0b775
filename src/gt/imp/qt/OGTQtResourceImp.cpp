#include "gt/imp/qt/OGTQtResourceImp.h"

#include <climits>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QSoundEffect>
#include <QUrl>

#include "base/VPath.h"
#include "base/VString.h"
#include "gt/OGTTexts.h"
#include "gt/imp/OGTBmp.h"
#include "gt/imp/OGTPlatformRules.h"
#include "gt/imp/qt/OGTQtContextImp.h"
#include "gt/imp/qt/OGTQtShared.h"
#include "gt/imp/qt/OGTQtText.h"

QImage OGTQtImageFromBmp(const OGTBmp& bmp) {
  if (bmp.IsEmpty()) return QImage();
  QImage image(bmp.Width(), bmp.Height(), QImage::Format_ARGB32);
  for (int32_t y = 0; y < bmp.Height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int32_t x = 0; x < bmp.Width(); ++x) row[x] = bmp.Pixel(x, y);
  }
  return image;
}

QImage OGTQtLoadImage(const char* name) {
  std::string path;
  if (name == nullptr || name[0] == 0 || OGTToNativePath(name, &path) != kVOk) return QImage();
  QFile file(QFile::decodeName(path.c_str()));
  if (!file.open(QIODevice::ReadOnly)) return QImage();
  QByteArray bytes = file.readAll();
  if (bytes.startsWith("BM")) {
    OGTBmp bmp;
    if (!bmp.Decode(reinterpret_cast<const uint8_t*>(bytes.constData()),
                    static_cast<size_t>(bytes.size()))) {
      return QImage();
    }
    return OGTQtImageFromBmp(bmp);
  }
  QImage image;
  image.loadFromData(bytes);
  return image;
}

OGTQtCursorImp::OGTQtCursorImp(std::shared_ptr<OGTQtShared> shared) : shared_(std::move(shared)) {}

OGTQtCursorImp::~OGTQtCursorImp() {
  if (counted_) shared_->EndCountedWait();
}

void OGTQtCursorImp::SetShape(int32_t shape) {
  if (shape == 51 || shape == 52) {
    if (!counted_) {
      counted_ = true;
      shared_->BeginCountedWait();
    }
    return;
  }
  shared_->SetCursorShape(shape);
}

void OGTQtImageImp::Draw(OGTContextImp* context, const OGTRect& rect) {
  if (auto* qt = dynamic_cast<OGTQtContextImp*>(context)) qt->DrawImage(image_, rect);
}

bool OGTQtImageImp::LoadFromMemory(const uint8_t* bytes, size_t length, int32_t format) {
  image_ = QImage();
  if (bytes == nullptr || length > static_cast<size_t>(INT32_MAX)) return false;
  if (format == kOGTImageFormatBmp) {
    OGTBmp bmp;
    if (!bmp.Decode(bytes, length)) return false;
    image_ = OGTQtImageFromBmp(bmp);
    return !image_.isNull();
  }
  const char* kind = format == kOGTImageFormatJpeg  ? "JPEG"
                     : format == kOGTImageFormatGif ? "GIF"
                     : format == kOGTImageFormatPng ? "PNG"
                                                    : nullptr;
  if (kind == nullptr) return false;
  // Qt's own readers, told the format, so that data of another kind is not taken for it.
  image_.loadFromData(bytes, static_cast<int>(length), kind);
  return !image_.isNull();
}

bool OGTQtImageImp::LoadFromFile(const char* name) {
  image_ = OGTQtLoadImage(name);
  return !image_.isNull();
}

void OGTQtImageImp::GetSize(int32_t& width, int32_t& height) const {
  width = image_.width();
  height = image_.height();
}

bool OGTQtSoundImp::Play(const char* name) {
  std::string path;
  if (name == nullptr || name[0] == 0 || OGTToNativePath(name, &path) != kVOk) return false;
  // Only a readable WAV file is played: its RIFF header is checked here, so that the answer says
  // whether it plays rather than whether a load was started.
  QFile file(QFile::decodeName(path.c_str()));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = file.read(12);
  if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE") return false;
  auto* effect = new QSoundEffect(qApp);
  effect->setSource(QUrl::fromLocalFile(file.fileName()));
  // The effect lives until it has played (or failed to load), then goes with the event loop.
  QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
    if (!effect->isPlaying()) effect->deleteLater();
  });
  QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
    if (effect->status() == QSoundEffect::Error) effect->deleteLater();
  });
  effect->play();
  return true;
}

void OGTQtSoundImp::Beep() { QApplication::beep(); }

QStringList OGTQtChooserFilters() {
  // Pairs of a label and a pattern, separated by "|" and ended by "||".
  QStringList parts = OGTQtString(OGTText(kOGTTextChooserFilter)).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString label = parts[i];
    QString pattern = parts[i + 1];
    if (label.isEmpty() || pattern.isEmpty()) break;
    // "*.*" names every file; on this system it would miss names without a dot.
    if (pattern == QStringLiteral("*.*")) {
      label.replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
      pattern = QStringLiteral("*");
    }
    if (!label.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')'))) {
      label += QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    filters << label;
  }
  return filters;
}

OGTQtUDlogImp::OGTQtUDlogImp(std::shared_ptr<OGTQtShared> shared) : shared_(std::move(shared)) {}

bool OGTQtUDlogImp::ChooseOpenFile(VString& path) { return Choose(path, false, nullptr); }

bool OGTQtUDlogImp::ChooseSaveFile(VString& path, const char* suggestedName) {
  return Choose(path, true, suggestedName);
}

bool OGTQtUDlogImp::Choose(VString& path, bool save, const char* suggestedName) {
  if (shared_->Quitting()) return false;
  QFileDialog chooser(shared_->Frame());
  chooser.setOption(QFileDialog::DontUseNativeDialog);
  chooser.setNameFilters(OGTQtChooserFilters());
  if (save) {
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setFileMode(QFileDialog::AnyFile);
    if (suggestedName != nullptr && suggestedName[0] != 0) {
      chooser.selectFile(OGTQtString(suggestedName));
    }
  } else {
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::ExistingFile);
  }
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return false;
  // The engine opens files by their bytes: the name stays as the file system spells it.
  QByteArray native = QFile::encodeName(chooser.selectedFiles().first());
  path = VPortablePath(std::string_view(native.constData(), static_cast<size_t>(native.size())))
             .c_str();
  return true;
}
