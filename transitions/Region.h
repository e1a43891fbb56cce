#pragma once
// Regions: sets of pixels that limit the copies of the transition effects.
//
// Data structure (every operation keeps these rules, so equal pixel sets have equal
// representations and operator== is a plain comparison):
//  - A region is a list of bands sorted by Top. A band covers rows Top .. Bottom - 1
//    (Top < Bottom) and holds at least one span; a span covers columns Left .. Right - 1
//    (Left < Right).
//  - Bands never overlap. The spans of a band are sorted and neither overlap nor touch
//    (a span's Right is less than the next span's Left).
//  - Two bands that touch (Bottom equals the next band's Top) never hold the same span list;
//    such bands are merged into one.
//  - The empty region has no bands.
//
// Which pixels a shape covers. Pixel (x, y) is the unit square whose centre is
// (x + 0.5, y + 0.5); shapes are decided at pixel centres, so as with the platform's regions
// the right and bottom edges of a shape are left out:
//  - Rectangle (l, t, r, b): columns l .. r - 1 and rows t .. b - 1; nothing when l >= r or
//    t >= b (an inverted rectangle is not turned round, it is empty).
//  - Ellipse in (l, t, r, b): the pixels whose centre lies inside or on the ellipse with centre
//    ((l + r) / 2, (t + b) / 2) and half-axes (r - l) / 2 and (b - t) / 2; empty like the
//    rectangle.
//  - Rounded rectangle (l, t, r, b, ew, eh): ew and eh larger than the width or height count as
//    that width or height, negative ones as 0. The rectangle's pixels, less those of a corner
//    zone (centre nearer than ew / 2 to the left or right edge and nearer than eh / 2 to the
//    top or bottom edge) whose centre lies outside that corner's ellipse, the ew x eh ellipse
//    in the corner. With ew and eh equal to the width and height it is the ellipse above.
//  - Polygon, winding rule: the pixels whose centre has a non-zero winding number. A centre
//    that lies exactly on an edge takes the winding number just to its right, so it is inside
//    on a left edge of the filled area and outside on a right edge. Vertices are whole numbers
//    and centres are not, so no centre lies on a vertex or a horizontal edge.
// Coordinates of ellipses, rounded rectangles and polygons are clamped to -2^27 .. 2^27, the
// range of the platform's regions; their cost grows with the number of rows they span.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kx {

struct Rect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool IsEmpty() const { return Left >= Right || Top >= Bottom; }
  bool operator==(const Rect&) const = default;
};

struct Point {
  int32_t X = 0, Y = 0;
  bool operator==(const Point&) const = default;
};

// The combine modes, numbered as the platform's CombineRgn modes.
enum class CombineMode { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };

class Region {
 public:
  struct Span {
    int32_t Left, Right;
    bool operator==(const Span&) const = default;
  };
  struct Band {
    int32_t Top, Bottom;
    uint32_t First, Count;  // spans First .. First + Count - 1 of the span list
    bool operator==(const Band&) const = default;
  };

  Region() = default;  // empty

  bool IsEmpty() const { return bands_.empty(); }
  // Smallest rectangle that holds every pixel; (0, 0, 0, 0) when empty.
  Rect Bounds() const;
  bool Contains(int32_t x, int32_t y) const;
  int64_t PixelCount() const;

  std::span<const Band> Bands() const { return bands_; }
  std::span<const Span> SpansOf(const Band& band) const {
    return std::span<const Span>(spans_).subspan(band.First, band.Count);
  }

  // a op b. Union, intersection, xor and difference are all this one walk over the bands.
  static Region Combine(const Region& a, const Region& b, CombineMode mode);
  Region Intersected(const Rect& rect) const;
  void Offset(int32_t dx, int32_t dy);

  // Checks the data structure rules above (for tests).
  bool IsCanonical() const;

  bool operator==(const Region&) const = default;

 private:
  friend class RegionBuilder;
  std::vector<Band> bands_;
  std::vector<Span> spans_;
};

// Appends rows or bands from top to bottom and keeps the region canonical: spans given for a
// row must be sorted and disjoint (touching spans are joined), bands must come in rising order.
class RegionBuilder {
 public:
  // Adds rows top .. bottom - 1, all with these spans. Rows must not go back above rows
  // already added.
  void AddBand(int32_t top, int32_t bottom, std::span<const Region::Span> spans);
  Region Finish();

 private:
  Region region_;
};

// The shape constructors, named after the platform calls they stand in for.
Region CreateRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom);
Region CreateEllipticRgn(int32_t left, int32_t top, int32_t right, int32_t bottom);
Region CreateRoundRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom,
                          int32_t ellipseWidth, int32_t ellipseHeight);
// Polygon filled by the winding rule; fewer than three points give an empty region.
Region CreatePolygonRgn(std::span<const Point> points);
// `PolygonRgn`: a winding polygon from a flat list x0, y0, x1, y1, ... (an odd last value is
// ignored).
Region PolygonRgn(std::span<const int32_t> coords);
// The union of a list of rectangles; empty and inverted rectangles add nothing.
Region RegionFromRects(std::span<const Rect> rects);
// dest := a op b, as the platform call; dest may be a or b.
void CombineRgn(Region& dest, const Region& a, const Region& b, CombineMode mode);

}  // namespace kx
