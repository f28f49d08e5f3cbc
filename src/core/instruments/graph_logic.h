// The trend graph without a window: its view and grid, its samples, where
// everything lands in pixels, and how the mouse moves the view. The window
// class only paints what this lays out.
#pragma once

#include "core/instruments/graph_samples.h"
#include "core/instruments/graph_scale.h"
#include "core/instruments/pixel_rect.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct GraphPoint {
  int x = 0;
  int y = 0;
  bool operator==(const GraphPoint &) const = default;
};

using GraphRect = PixelRect;

struct GraphView {
  double xLow = 0;
  double xHigh = 0;
  double yLow = 0;
  double yHigh = 0;
  bool operator==(const GraphView &) const = default;
};

// One grid line and its label; the label's position is its top-left corner.
struct GraphMark {
  std::string text;
  GraphPoint textAt;
  GraphPoint from;
  GraphPoint to;
};

// Everything one drawing puts on a surface, in the order it is drawn: the
// y marks, the x marks, then the trace as one joined path (its first point
// is where the pen starts; fewer than two points draw nothing).
struct GraphPicture {
  GraphRect plot;
  int gridPenWidth = 1;
  int tracePenWidth = 2;
  std::vector<GraphMark> yMarks;
  std::vector<GraphMark> xMarks;
  std::vector<GraphPoint> trace;
};

// Pixel mapping: the fraction of the view times the plot's extent, truncated
// toward zero. Far outside any surface the result is held at +-2^20 pixels,
// so an extreme zoom cannot overflow the conversion.
int GraphX(const GraphView &v, const GraphRect &p, double x);
int GraphY(const GraphView &v, const GraphRect &p, double y);
// The data under a pixel of the plot.
double GraphDataX(const GraphView &v, const GraphRect &p, int px);
double GraphDataY(const GraphView &v, const GraphRect &p, int py);

// The view after dragging the data point (anchorX, anchorY) to pointer, at
// the units per pixel of the drawing the drag began on.
GraphView PanView(const GraphView &v, const GraphRect &p, double xPerPixel, double yPerPixel, double anchorX,
                  double anchorY, GraphPoint pointer);
// The view of a box spanned by two corners on the plot; none when the box
// has no width or no height.
std::optional<GraphView> ZoomBoxView(const GraphView &v, const GraphRect &p, GraphPoint a, GraphPoint b);
// Half the size about the centre, and 1.5 times the size about the centre.
GraphView ZoomInView(const GraphView &v);
GraphView ZoomOutView(const GraphView &v);
// The view scaled by factor about the data point (x, y), which stays where it
// is on the plot: below 1 zooms in, above 1 out.
GraphView ZoomAtView(const GraphView &v, double x, double y, double factor);

// The traces as paths of pixel points: one vertical stroke for each pixel
// column, from the lowest to the highest value in it, joined to the next.
// Recording: from the summary buckets, nothing while only the first bucket
// is in use. Review: from every sample, ending past right.
std::vector<GraphPoint> RecordingTrace(const CGraphSamples &s, const GraphView &v, const GraphRect &p);
std::vector<GraphPoint> ReviewTrace(const CGraphSamples &s, const GraphView &v, const GraphRect &p, int right);

class CGraphLogic {
public:
  enum Mode { RecordingMode = 0, ReviewMode = 1 };

  // Takes the view and its grid steps unless either range is one the chart
  // cannot show (see GraphStep); then the view stays as it was. Either way
  // the next drawing is a full one that recomputes the units per pixel.
  void SetView(double xLow, double xHigh, double yLow, double yHigh);
  void SetView(const GraphView &v) { SetView(v.xLow, v.xHigh, v.yLow, v.yHigh); }
  const GraphView &View() const { return m_view; }
  double XStep() const { return m_xStep; }
  double YStep() const { return m_yStep; }
  const CGraphLabelFormat &XFormat() const { return m_xFormat; }
  const CGraphLabelFormat &YFormat() const { return m_yFormat; }

  bool AddSample(float x, float y);
  void Clear();
  const CGraphSamples &Samples() const { return m_samples; }

  void SetMode(Mode mode);
  Mode GetMode() const { return m_mode; }

  bool Dirty() const { return m_dirty; }
  void SetDirty() { m_dirty = true; }
  void ClearDirty() { m_dirty = false; }
  bool RecomputePending() const { return m_recompute; }
  void SetRecompute() { m_recompute = true; }
  double XPerPixel() const { return m_xPerPixel; }
  double YPerPixel() const { return m_yPerPixel; }

  // Lays out one picture on the output rectangle o. Of the plot rectangle p
  // the caller gives the top and right; the left makes room for the y labels
  // and the bottom for the x labels. textHeight is the height of "0" in the
  // surface's font, textWidth measures a label. A pending recompute of the
  // units per pixel is done here, against this plot.
  using TextWidth = std::function<int(const std::string &)>;
  GraphPicture Draw(const GraphRect &o, GraphRect p, int textHeight, const TextWidth &textWidth);

  // Pans so the anchor stays under the pointer. The units per pixel stay
  // those of the drawing the drag began on, however often the view changes
  // during the drag.
  void PanTo(const GraphRect &p, double anchorX, double anchorY, GraphPoint pointer);

private:
  GraphView m_view;
  double m_xStep = 0;
  double m_yStep = 0;
  CGraphLabelFormat m_xFormat;
  CGraphLabelFormat m_yFormat;
  double m_xPerPixel = 0;
  double m_yPerPixel = 0;
  bool m_recompute = true;
  bool m_dirty = true;
  Mode m_mode = RecordingMode;
  CGraphSamples m_samples;
};
