#include "core/instruments/graph_logic.h"

#include <algorithm>
#include <cmath>

namespace {

// Far beyond any window or page, yet safe to convert and to hand to a painter.
constexpr double kPixelLimit = 1 << 20;

// Grid lines per axis are about five; the bound only matters when the step is
// lost in the precision of the values (a view zoomed in far away from zero).
constexpr int kMaxMarks = 1000;

int ToPixel(double v) {
  if (!(v > -kPixelLimit)) // NaN included
    return -static_cast<int>(kPixelLimit);
  if (v > kPixelLimit)
    return static_cast<int>(kPixelLimit);
  return static_cast<int>(v); // truncation toward zero
}

// The values of an axis's grid lines, from the step multiple at or below low
// up to high (with a little tolerance for the sums' rounding).
template <class F> void ForEachGridValue(double low, double high, double step, F &&f) {
  double v = std::floor(low / step) * step;
  for (int n = 0; v - high <= step * 0.00001 && n < kMaxMarks; ++n) {
    f(v);
    const double next = v + step;
    if (next == v)
      break;
    v = next;
  }
}

class PathBuilder {
public:
  void To(GraphPoint q) {
    if (m_path.empty() || m_path.back() != q)
      m_path.push_back(q);
  }
  // The stroke of one column: to its lowest value, then up to its highest.
  void Column(int c, int a, int b) {
    To({c, a});
    if (b != a)
      To({c, b});
  }
  std::vector<GraphPoint> Take() { return std::move(m_path); }

private:
  std::vector<GraphPoint> m_path;
};

} // namespace

int GraphX(const GraphView &v, const GraphRect &p, double x) {
  return ToPixel((x - v.xLow) / (v.xHigh - v.xLow) * (p.right - p.left) + p.left);
}

int GraphY(const GraphView &v, const GraphRect &p, double y) {
  return ToPixel(p.bottom - (y - v.yLow) / (v.yHigh - v.yLow) * (p.bottom - p.top));
}

double GraphDataX(const GraphView &v, const GraphRect &p, int px) {
  return v.xLow + double(px - p.left) / (p.right - p.left) * (v.xHigh - v.xLow);
}

double GraphDataY(const GraphView &v, const GraphRect &p, int py) {
  return v.yLow + double(p.bottom - py) / (p.bottom - p.top) * (v.yHigh - v.yLow);
}

GraphView PanView(const GraphView &v, const GraphRect &p, double xPerPixel, double yPerPixel, double anchorX,
                  double anchorY, GraphPoint pointer) {
  const double xLow = anchorX - (pointer.x - p.left) * xPerPixel;
  const double yLow = anchorY - (p.bottom - pointer.y) * yPerPixel;
  return {xLow, xLow + (v.xHigh - v.xLow), yLow, yLow + (v.yHigh - v.yLow)};
}

std::optional<GraphView> ZoomBoxView(const GraphView &v, const GraphRect &p, GraphPoint a, GraphPoint b) {
  if (a.x == b.x || a.y == b.y)
    return std::nullopt;
  const int left = std::min(a.x, b.x), right = std::max(a.x, b.x);
  const int top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
  return GraphView{GraphDataX(v, p, left), GraphDataX(v, p, right), GraphDataY(v, p, bottom),
                   GraphDataY(v, p, top)};
}

GraphView ZoomInView(const GraphView &v) {
  const double dx = (v.xHigh - v.xLow) * 0.25, dy = (v.yHigh - v.yLow) * 0.25;
  return {v.xLow + dx, v.xHigh - dx, v.yLow + dy, v.yHigh - dy};
}

GraphView ZoomOutView(const GraphView &v) {
  const double dx = (v.xHigh - v.xLow) * 0.25, dy = (v.yHigh - v.yLow) * 0.25;
  return {v.xLow - dx, v.xHigh + dx, v.yLow - dy, v.yHigh + dy};
}

GraphView ZoomAtView(const GraphView &v, double x, double y, double factor) {
  return {x - (x - v.xLow) * factor, x + (v.xHigh - x) * factor, y - (y - v.yLow) * factor,
          y + (v.yHigh - y) * factor};
}

std::vector<GraphPoint> RecordingTrace(const CGraphSamples &s, const GraphView &v, const GraphRect &p) {
  PathBuilder path;
  const int current = s.CurrentBucket();
  if (current <= 0)
    return {};
  const GraphBucket &first = s.Bucket(0);
  int c = GraphX(v, p, first.meanX);
  float lo = first.minY, hi = first.maxY;
  path.To({c, GraphY(v, p, lo)});
  for (int i = 1; i <= current; ++i) {
    const GraphBucket &b = s.Bucket(i);
    const int x = GraphX(v, p, b.meanX);
    if (x == c) {
      lo = std::min(lo, b.minY);
      hi = std::max(hi, b.maxY);
      continue;
    }
    path.To({c, GraphY(v, p, lo)});
    if (hi != lo)
      path.To({c, GraphY(v, p, hi)});
    c = x;
    lo = b.minY;
    hi = b.maxY;
  }
  path.To({c, GraphY(v, p, lo)});
  if (hi != lo)
    path.To({c, GraphY(v, p, hi)});
  return path.Take();
}

std::vector<GraphPoint> ReviewTrace(const CGraphSamples &s, const GraphView &v, const GraphRect &p, int right) {
  std::size_t found = s.Size();
  std::size_t i = 0;
  s.Walk(0, [&](const GraphSample &q) {
    if (GraphX(v, p, q.x) >= 0) {
      found = i;
      return false;
    }
    ++i;
    return true;
  });
  if (found == s.Size())
    return {}; // everything lies left of the surface
  const std::size_t start = found > 0 ? found - 1 : 0;

  PathBuilder path;
  const GraphSample first = s.At(start);
  int c = GraphX(v, p, first.x);
  int top = GraphY(v, p, first.y), bottom = top;
  path.To({c, top});
  bool stopped = false;
  s.Walk(start, [&](const GraphSample &q) {
    const int x = GraphX(v, p, q.x);
    const int y = GraphY(v, p, q.y);
    if (x == c) {
      top = std::min(top, y);
      bottom = std::max(bottom, y);
      return true;
    }
    path.Column(c, top, bottom);
    if (c > right) {
      stopped = true;
      return false;
    }
    c = x;
    top = bottom = y;
    return true;
  });
  if (!stopped)
    path.Column(c, top, bottom);
  return path.Take();
}

void CGraphLogic::SetView(double xLow, double xHigh, double yLow, double yHigh) {
  const GraphStepResult x = GraphStep(xHigh - xLow);
  if (x.digits <= GraphMaxDigits) {
    const GraphStepResult y = GraphStep(yHigh - yLow);
    if (y.digits <= GraphMaxDigits) {
      m_xStep = x.step;
      m_yStep = y.step;
      m_xFormat = CGraphLabelFormat::ForStep(x.step, x.digits);
      m_yFormat = CGraphLabelFormat::ForStep(y.step, y.digits);
      m_view = {xLow, xHigh, yLow, yHigh};
    }
  }
  m_recompute = true;
  m_dirty = true;
}

bool CGraphLogic::AddSample(float x, float y) {
  const bool kept = m_samples.Add(x, y);
  m_dirty = true;
  return kept;
}

void CGraphLogic::Clear() {
  m_samples.Clear();
  m_dirty = true;
}

void CGraphLogic::SetMode(Mode mode) {
  m_mode = mode;
  m_dirty = true;
}

GraphPicture CGraphLogic::Draw(const GraphRect &o, GraphRect p, int textHeight, const TextWidth &textWidth) {
  GraphPicture pic;
  pic.gridPenWidth = o.Width() / 1000 + 1;
  pic.tracePenWidth = (o.Width() / 1000) * 2 + 2;
  const int h = textHeight;
  p.bottom = o.bottom - h - 2;
  p.left = o.left;

  // The y labels first, because the widest of them decides where the plot begins.
  struct Label {
    std::string text;
    int width;
  };
  std::vector<Label> yLabels;
  ForEachGridValue(m_view.yLow, m_view.yHigh, m_yStep, [&](double v) {
    std::string text = m_yFormat.Format(v);
    const int w = textWidth(text);
    p.left = std::max(p.left, o.left + w + 2);
    yLabels.push_back({std::move(text), w});
  });
  // A label goes beside its line, moved only as far as it takes to stay on
  // the surface, and is left out where it would cover one already placed:
  // the lowest y label and the x label at the origin meet in the corner.
  std::vector<GraphRect> placed;
  const auto place = [&](std::string &text, GraphPoint at, int width, GraphPoint &textAt) {
    at.x = std::max(o.left, std::min(at.x, o.right - width));
    at.y = std::max(o.top, std::min(at.y, o.bottom - h));
    const GraphRect box{at.x, at.y, at.x + width, at.y + h};
    for (const GraphRect &other : placed)
      if (box.left < other.right && other.left < box.right && box.top < other.bottom && other.top < box.bottom)
        return std::string();
    placed.push_back(box);
    textAt = at;
    return std::move(text);
  };
  std::size_t k = 0;
  ForEachGridValue(m_view.yLow, m_view.yHigh, m_yStep, [&](double v) {
    if (k >= yLabels.size())
      return;
    Label &label = yLabels[k++];
    const int yv = GraphY(m_view, p, v);
    if (o.top <= yv && yv <= o.bottom) {
      GraphMark mark{{}, {p.left - label.width - 1, yv - h / 2}, {p.left, yv}, {p.right, yv}};
      mark.text = place(label.text, mark.textAt, label.width, mark.textAt);
      pic.yMarks.push_back(std::move(mark));
    }
  });

  if (m_recompute) {
    m_xPerPixel = (m_view.xHigh - m_view.xLow) / (p.right - p.left);
    m_yPerPixel = (m_view.yHigh - m_view.yLow) / (p.bottom - p.top);
    m_recompute = false;
  }

  ForEachGridValue(m_view.xLow, m_view.xHigh, m_xStep, [&](double v) {
    std::string text = m_xFormat.Format(v);
    const int xv = GraphX(m_view, p, v);
    if (o.left <= xv && xv <= o.right) {
      const int w = textWidth(text);
      // Not left of the plot, where the y labels are, and half a line clear
      // of them so that "20" and "0" do not read as "200".
      GraphMark mark{{}, {std::max(xv - w / 2, p.left + h / 2), p.bottom + 1}, {xv, p.bottom}, {xv, p.top}};
      mark.text = place(text, mark.textAt, w, mark.textAt);
      pic.xMarks.push_back(std::move(mark));
    }
  });

  pic.trace = m_mode == RecordingMode ? RecordingTrace(m_samples, m_view, p)
                                      : ReviewTrace(m_samples, m_view, p, o.right);
  pic.plot = p;
  return pic;
}

void CGraphLogic::PanTo(const GraphRect &p, double anchorX, double anchorY, GraphPoint pointer) {
  SetView(PanView(m_view, p, m_xPerPixel, m_yPerPixel, anchorX, anchorY, pointer));
  m_recompute = false;
}
