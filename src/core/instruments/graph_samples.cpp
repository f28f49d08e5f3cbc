#include "core/instruments/graph_samples.h"

#include <algorithm>
#include <new>

namespace {

GraphBucket Merge(const GraphBucket &a, const GraphBucket &b) {
  GraphBucket m;
  m.count = a.count + b.count;
  if (m.count == 0)
    return m;
  m.meanX = static_cast<float>((double(b.meanX) * b.count + double(a.meanX) * a.count) / m.count);
  m.minY = std::min(a.minY, b.minY);
  m.maxY = std::max(a.maxY, b.maxY);
  return m;
}

} // namespace

CGraphSamples::CGraphSamples() : m_buckets(BucketCount) {}

bool CGraphSamples::Add(float x, float y) {
  if (m_size == m_chunks.size() * ChunkSamples) {
    try {
      m_chunks.push_back(std::make_unique_for_overwrite<GraphSample[]>(ChunkSamples));
    } catch (const std::bad_alloc &) {
      return false;
    }
  }
  m_chunks[m_size / ChunkSamples][m_size % ChunkSamples] = {x, y};
  ++m_size;

  if (m_buckets[m_current].count >= m_capacity) {
    if (++m_current == BucketCount) {
      for (int i = 0; i < BucketCount / 2; ++i)
        m_buckets[i] = Merge(m_buckets[2 * i], m_buckets[2 * i + 1]);
      std::fill(m_buckets.begin() + BucketCount / 2, m_buckets.end(), GraphBucket{});
      m_current = BucketCount / 2;
      m_capacity = m_buckets[0].count;
    }
  }
  GraphBucket &b = m_buckets[m_current];
  b.meanX = static_cast<float>((double(b.count) * b.meanX + x) / (b.count + 1));
  if (b.count == 0) {
    b.minY = b.maxY = y;
  } else {
    b.minY = std::min(b.minY, y);
    b.maxY = std::max(b.maxY, y);
  }
  ++b.count;
  return true;
}

void CGraphSamples::Clear() {
  m_chunks.clear();
  m_chunks.shrink_to_fit();
  m_size = 0;
  std::fill(m_buckets.begin(), m_buckets.end(), GraphBucket{});
  m_current = 0;
  m_capacity = 1;
}
