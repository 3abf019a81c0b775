#include "gt/imp/qt/OGTQtContextImp.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>

#include "gt/imp/qt/OGTQtImp.h"
#include "gt/imp/qt/OGTQtText.h"
#include "gt/imp/qt/OGTQtWidgets.h"

namespace {

QColor Colour(const OGTColor& color) { return QColor::fromRgb(color.Value() & 0xFFFFFFu); }

QRegion Grown(const QRegion& region, int dx, int dy) {
  QRegion grown;
  for (const QRect& rect : region) grown |= rect.adjusted(-dx, -dy, dx, dy);
  return grown;
}

// Grows (negative d) or shrinks (positive d) along one axis. Shrinking keeps the pixels whose
// whole neighbourhood lies in the region: the region less the grown complement.
QRegion InsetAxis(const QRegion& region, int dx, int dy) {
  if ((dx == 0 && dy == 0) || region.isEmpty()) return region;
  if (dx < 0 || dy < 0) return Grown(region, -dx, -dy);
  QRect frame = region.boundingRect().adjusted(-dx - 1, -dy - 1, dx + 1, dy + 1);
  QRegion outside = QRegion(frame) - region;
  return region - Grown(outside, dx, dy);
}

QPoint Point(const OGTPoint& point) { return QPoint(point.X(), point.Y()); }

}  // namespace

QRect OGTQtRect(const OGTRect& rect) {
  return QRect(rect.Left(), rect.Top(), rect.Right() - rect.Left(), rect.Bottom() - rect.Top());
}

QRegion OGTQtRegionImp::RegionOf(const OGTRegionImp& other) {
  const auto* qt = dynamic_cast<const OGTQtRegionImp*>(&other);
  return qt != nullptr ? qt->region_ : QRegion();
}

void OGTQtRegionImp::CopyFrom(const OGTRegionImp& other) {
  if (&other != this) region_ = RegionOf(other);
}

void OGTQtRegionImp::SetRect(const OGTRect& rect) {
  QRect r = OGTQtRect(rect);
  region_ = r.isValid() ? QRegion(r) : QRegion();
}

void OGTQtRegionImp::GetBoundingBox(OGTRect& rect) const {
  QRect box = region_.boundingRect();
  if (region_.isEmpty()) {
    rect.Clear();
    return;
  }
  rect.Set(box.top(), box.left(), box.top() + box.height(), box.left() + box.width());
}

void OGTQtRegionImp::Inset(int32_t dx, int32_t dy) {
  region_ = InsetAxis(InsetAxis(region_, dx, 0), 0, dy);
}

bool OGTQtRegionImp::Equals(const OGTRegionImp& other) const {
  return (region_ ^ RegionOf(other)).isEmpty();
}

bool OGTQtRegionImp::OverlapsRect(const OGTRect& rect) const {
  QRect r = OGTQtRect(rect);
  return r.isValid() && region_.intersects(r);
}

bool OGTQtRegionImp::ContainsPoint(const OGTPoint& point) const {
  return region_.contains(Point(point));
}

OGTQtContextImp::OGTQtContextImp(std::shared_ptr<OGTQtShared> shared)
    : shared_(std::move(shared)) {}

OGTQtContextImp::~OGTQtContextImp() = default;

void OGTQtContextImp::Attach(void* native) {
  painter_ = static_cast<QPainter*>(native);
  surface_ = nullptr;
  inPaint_ = painter_ != nullptr;
  clipped_ = false;
}

void OGTQtContextImp::AttachPainter(QPainter* painter, QWidget* surface) {
  painter_ = painter;
  surface_ = surface;
  inPaint_ = true;
  // A paint covers the surface: that is the clip its drawing starts with.
  clip_ = QRegion(QRect(OGTQtWindowOrigin(surface), surface->size()));
  clipped_ = true;
}

void OGTQtContextImp::AttachSurface(OGTQtSurface* surface) {
  painter_ = nullptr;
  surface_ = surface;
  inPaint_ = false;
  clipped_ = false;
}

void OGTQtContextImp::AttachItem(OGTItemImp* item) {
  OGTQtNode* node = OGTQtNode::Of(item);
  OGTQtSurface* surface = nullptr;
  if (node != nullptr) {
    surface = node->Surface();
    if (surface == nullptr && node->Widget() != nullptr) surface = OGTQtClientOf(node->Widget());
  }
  AttachSurface(surface);
}

template <class Draw>
void OGTQtContextImp::Paint(bool invertible, Draw&& draw) {
  auto run = [&](QPainter& painter) {
    painter.save();
    if (clipped_) painter.setClipRegion(clip_);
    if (invertible && mode_ == kOGTDrawInvert) {
      painter.setCompositionMode(QPainter::CompositionMode_Difference);
    }
    draw(painter);
    painter.restore();
  };
  if (inPaint_) {
    if (painter_ != nullptr) run(*painter_);
    return;
  }
  auto* surface = dynamic_cast<OGTQtSurface*>(surface_.data());
  if (surface == nullptr) return;
  QImage& picture = surface->Picture();
  if (picture.isNull()) return;
  QPainter painter(&picture);
  painter.translate(-OGTQtWindowOrigin(surface));
  run(painter);
  painter.end();
  surface->update();
}

const QFont& OGTQtContextImp::QtFont(const OGTFont& font) {
  if (!haveFont_ || !(font == lastFont_)) {
    lastFont_ = font;
    lastQtFont_ = OGTQtDrawingFont(font);
    haveFont_ = true;
  }
  return lastQtFont_;
}

void OGTQtContextImp::DrawLine(const OGTPoint& from, const OGTPoint& to) {
  Paint(true, [&](QPainter& painter) {
    QColor colour = mode_ == kOGTDrawInvert ? QColor(Qt::white) : Colour(pen_);
    painter.setPen(QPen(colour, std::max(1, penWidth_)));
    painter.drawLine(Point(from), Point(to));
  });
}

void OGTQtContextImp::FrameRect(const OGTRect& rect) {
  QRect r = OGTQtRect(rect);
  if (r.isEmpty()) return;
  Paint(true, [&](QPainter& painter) {
    QColor colour = mode_ == kOGTDrawInvert ? QColor(Qt::white) : Colour(pen_);
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
  });
}

void OGTQtContextImp::FillRect(const OGTRect& rect) {
  QRect r = OGTQtRect(rect);
  if (r.isEmpty()) return;
  Paint(true, [&](QPainter& painter) {
    painter.fillRect(r, mode_ == kOGTDrawInvert ? QColor(Qt::white) : Colour(fill_));
  });
}

void OGTQtContextImp::InvertRect(const OGTRect& rect) {
  QRect r = OGTQtRect(rect);
  if (r.isEmpty()) return;
  auto* surface = dynamic_cast<OGTQtSurface*>(surface_.data());
  if (surface == nullptr || !surface->ListSurface()) {
    Paint(false, [&](QPainter& painter) {
      painter.setCompositionMode(QPainter::CompositionMode_Difference);
      painter.fillRect(r, Qt::white);
    });
    return;
  }
  // A list inverts a row it has just drawn to mark it selected. It is shown as the platform shows
  // a selection: white becomes the highlight colour and black the highlighted text's, the shades
  // between in proportion. Per channel, with H the highlight and T the text colour, v becomes
  // T - (T - H) * v / 255: a multiply, then a difference. A channel in which T is darker than H
  // keeps T.
  const QPalette& colours = surface->palette();
  const QColor high = colours.color(QPalette::Active, QPalette::Highlight);
  const QColor text = colours.color(QPalette::Active, QPalette::HighlightedText);
  const QColor spread(std::max(text.red() - high.red(), 0),
                      std::max(text.green() - high.green(), 0),
                      std::max(text.blue() - high.blue(), 0));
  Paint(false, [&](QPainter& painter) {
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.fillRect(r, spread);
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.fillRect(r, text);
  });
}

void OGTQtContextImp::FrameFillRoundRect(const OGTRect& rect, int32_t cornerWidth,
                                         int32_t cornerHeight) {
  QRect r = OGTQtRect(rect);
  if (r.isEmpty()) return;
  Paint(true, [&](QPainter& painter) {
    bool invert = mode_ == kOGTDrawInvert;
    painter.setPen(QPen(invert ? QColor(Qt::white) : Colour(pen_), std::max(1, penWidth_)));
    painter.setBrush(invert ? QColor(Qt::white) : Colour(fill_));
    // The corners are given as the ellipse's width and height.
    painter.drawRoundedRect(r.adjusted(0, 0, -1, -1), cornerWidth / 2.0, cornerHeight / 2.0);
  });
}

void OGTQtContextImp::FrameFillEllipse(const OGTRect& rect) {
  QRect r = OGTQtRect(rect);
  if (r.isEmpty()) return;
  Paint(true, [&](QPainter& painter) {
    bool invert = mode_ == kOGTDrawInvert;
    painter.setPen(QPen(invert ? QColor(Qt::white) : Colour(pen_), std::max(1, penWidth_)));
    painter.setBrush(invert ? QColor(Qt::white) : Colour(fill_));
    painter.drawEllipse(r.adjusted(0, 0, -1, -1));
  });
}

void OGTQtContextImp::DrawText(const char* text, size_t length, const OGTRect& rect,
                               const OGTFont& font) {
  QRect r = OGTQtRect(rect);
  if (text == nullptr || length == 0 || r.isEmpty()) return;
  QString shown = OGTQtDisplayText(std::string_view(text, length));
  QFont qtFont = QtFont(font);
  Paint(false, [&](QPainter& painter) {
    painter.setFont(qtFont);
    painter.setPen(Colour(font.Color()));
    painter.setClipRect(r, Qt::IntersectClip);
    painter.drawText(r, Qt::AlignLeft | Qt::AlignTop, shown);
  });
}

void OGTQtContextImp::DrawText(const char* text, size_t length, const OGTPoint& baseline,
                               const OGTFont& font) {
  if (text == nullptr || length == 0) return;
  QString shown = OGTQtString(std::string_view(text, length));
  QFont qtFont = QtFont(font);
  Paint(false, [&](QPainter& painter) {
    painter.setFont(qtFont);
    painter.setPen(Colour(font.Color()));
    painter.drawText(Point(baseline), shown);
  });
}

int32_t OGTQtContextImp::CharWidth(uint16_t code, const OGTFont& font) {
  std::string bytes;
  if (code > 0xFF) bytes.push_back(static_cast<char>(code >> 8));
  bytes.push_back(static_cast<char>(code & 0xFF));
  return QFontMetrics(QtFont(font)).horizontalAdvance(OGTQtString(bytes));
}

int32_t OGTQtContextImp::TextWidth(const char* text, size_t start, size_t count,
                                   const OGTFont& font) {
  if (text == nullptr || count == 0) return 0;
  return QFontMetrics(QtFont(font))
      .horizontalAdvance(OGTQtString(std::string_view(text + start, count)));
}

void OGTQtContextImp::FontMetrics(const OGTFont& font, int32_t& ascent, int32_t& descent,
                                  int32_t& leading) {
  QFontMetrics metrics(QtFont(font));
  ascent = metrics.ascent();
  descent = metrics.descent();
  leading = metrics.leading();
}

void OGTQtContextImp::InvalidateRect(const OGTRect& rect) {
  // During a paint the picture is being drawn anyway.
  auto* surface = dynamic_cast<OGTQtSurface*>(surface_.data());
  if (inPaint_ || surface == nullptr) return;
  surface->MarkStale();
  surface->update(OGTQtRect(rect).translated(-OGTQtWindowOrigin(surface)));
}

void OGTQtContextImp::SetClip(const OGTRegionImp* region) {
  if (region == nullptr) {
    clip_ = QRegion();
    clipped_ = false;
    return;
  }
  const auto* qt = dynamic_cast<const OGTQtRegionImp*>(region);
  clip_ = qt != nullptr ? qt->Region() : QRegion();
  clipped_ = true;
}

void OGTQtContextImp::GetClip(OGTRegionImp& region) const {
  region.MakeEmpty();
  auto* qt = dynamic_cast<OGTQtRegionImp*>(&region);
  if (clipped_ && qt != nullptr) qt->SetRegion(clip_);
}

QWidget* OGTQtContextImp::Client() const {
  return surface_ ? OGTQtClientOf(surface_.data()) : nullptr;
}

void OGTQtContextImp::WindowToScreen(OGTRect& rect) const {
  if (QWidget* client = Client()) {
    QPoint at = client->mapToGlobal(QPoint(rect.Left(), rect.Top()));
    rect.Offset(at.x() - rect.Left(), at.y() - rect.Top());
  }
}

void OGTQtContextImp::WindowToScreen(OGTPoint& point) const {
  if (QWidget* client = Client()) {
    QPoint at = client->mapToGlobal(Point(point));
    point.Set(at.x(), at.y());
  }
}

void OGTQtContextImp::ScreenToWindow(OGTRect& rect) const {
  if (QWidget* client = Client()) {
    QPoint at = client->mapFromGlobal(QPoint(rect.Left(), rect.Top()));
    rect.Offset(at.x() - rect.Left(), at.y() - rect.Top());
  }
}

void OGTQtContextImp::ScreenToWindow(OGTPoint& point) const {
  if (QWidget* client = Client()) {
    QPoint at = client->mapFromGlobal(Point(point));
    point.Set(at.x(), at.y());
  }
}

void OGTQtContextImp::DrawImage(const QImage& image, const OGTRect& rect) {
  QRect r = OGTQtRect(rect);
  if (image.isNull() || r.isEmpty()) return;
  Paint(false, [&](QPainter& painter) {
    painter.setClipRect(r, Qt::IntersectClip);
    painter.drawImage(r.topLeft(), image);
  });
}
