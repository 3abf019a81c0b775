#include "gt/imp/qt/OGTQtText.h"

#include <algorithm>

#include <QGuiApplication>
#include <QHash>
#include <QScreen>

#include "base/VCodePage.h"
#include "base/VSjis.h"
#include "gt/OGTGraphics.h"
#include "gt/imp/OGTPlatformRules.h"

namespace {

constexpr double kDefaultDpi = 96.0;

// Installed families for the face names the toolkit and definition files use.
const QHash<QString, QString>& FaceMap() {
  static const QHash<QString, QString> map = {
      {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")},
      {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")},
      {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho")},
      {QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho")},
      {QStringLiteral("sys_gothic"), QStringLiteral("IPAPGothic")},
      {QStringLiteral("sys_fixed"), QStringLiteral("IPAGothic")},
      {QStringLiteral("sys_mincho"), QStringLiteral("IPAPMincho")},
  };
  return map;
}

QFont MakeFont(const QString& family, int32_t points, uint16_t style) {
  QFont font;
  // The gothic face stays behind the named one so that Japanese text never lacks glyphs.
  font.setFamilies({family, QStringLiteral("IPAPGothic")});
  font.setPixelSize(std::max(1, OGTQtPixels(points)));
  font.setWeight(OGTFontWeight(style) >= 700 ? QFont::Bold : QFont::Normal);
  font.setItalic(OGTFontItalic(style));
  return font;
}

}  // namespace

QString OGTQtString(std::string_view sjis) {
  if (sjis.empty()) return QString();
  return QString::fromStdString(VSjisToUtf8(sjis));
}

std::string OGTQtSjis(const QString& text) {
  if (text.isEmpty()) return std::string();
  return VUtf8ToSjis(text.toStdString());
}

QString OGTQtDisplayText(std::string_view sjis) {
  QString text = OGTQtString(sjis);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

std::string OGTQtToolkitText(const QString& text) {
  QString lines = text;
  lines.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  lines.replace(QChar::LineSeparator, QLatin1Char('\n'));
  lines.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return OGTQtSjis(lines);
}

size_t OGTQtToolkitLength(const QString& text) { return OGTQtToolkitText(text).size(); }

void OGTQtCopyOut(const std::string& sjis, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return;
  const auto* bytes = reinterpret_cast<const uint8_t*>(sjis.data());
  size_t length = std::min(sjis.size(), size - 1);
  if (!VIsCharBoundary(bytes, sjis.size(), length)) --length;
  std::copy(sjis.data(), sjis.data() + length, buffer);
  buffer[length] = 0;
}

QString OGTQtFamily(const std::string& sjisFace) {
  QString face = OGTQtString(sjisFace);
  auto found = FaceMap().constFind(face);
  return found != FaceMap().constEnd() ? found.value() : face;
}

void OGTQtRegisterFaces() {
  for (auto it = FaceMap().constBegin(); it != FaceMap().constEnd(); ++it) {
    QFont::insertSubstitution(it.key(), it.value());
  }
}

int OGTQtPixels(int32_t points) {
  double dpi = kDefaultDpi;
  if (QGuiApplication::instance() != nullptr) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) dpi = screen->logicalDotsPerInchY();
  }
  return static_cast<int>(points * dpi / 72.0 + 0.5);
}

QFont OGTQtDrawingFont(const OGTFont& font) {
  return MakeFont(OGTQtFamily(OGTDrawingFace(font)), OGTDrawingPointSize(font.Size()),
                  font.Style());
}

QFont OGTQtControlFont(const OGTFont& font) {
  return MakeFont(OGTQtFamily(OGTControlFace(font)), OGTControlPointSize(font.Size()),
                  font.Style());
}
