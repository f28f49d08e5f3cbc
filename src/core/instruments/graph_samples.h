// The trend graph's samples: every one of them, and a summary of fixed size
// that keeps a redraw during a long recording as fast as one in its first
// minute.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct GraphSample {
  float x = 0;
  float y = 0;
};

// Consecutive samples summarised: how many, where they sit on x on average,
// and the range of their values.
struct GraphBucket {
  std::int32_t count = 0;
  float meanX = 0;
  float minY = 0;
  float maxY = 0;
};

class CGraphSamples {
public:
  static constexpr int BucketCount = 10000;

  CGraphSamples();

  // Keeps the sample and adds it to the summary. When all buckets are used
  // they are merged pairwise into the first half, so each bucket then holds
  // twice as many samples. False, with nothing changed, when memory for the
  // sample cannot be had.
  bool Add(float x, float y);
  void Clear();

  std::size_t Size() const { return m_size; }
  bool Empty() const { return m_size == 0; }
  GraphSample At(std::size_t i) const { return m_chunks[i / ChunkSamples][i % ChunkSamples]; }
  // Calls f(sample) from index first on, in order, until f returns false.
  template <class F> void Walk(std::size_t first, F &&f) const;

  const GraphBucket &Bucket(int i) const { return m_buckets[i]; }
  int CurrentBucket() const { return m_current; }
  int Capacity() const { return m_capacity; }

  // Bytes held for the samples (the summary is fixed and not counted).
  std::size_t SampleBytes() const { return m_chunks.size() * ChunkSamples * sizeof(GraphSample); }

  // Samples are kept in blocks of this many, so the store grows by 8 bytes a
  // sample without ever copying or doubling what it has.
  static constexpr std::size_t ChunkSamples = std::size_t(1) << 16;

private:
  std::vector<std::unique_ptr<GraphSample[]>> m_chunks;
  std::size_t m_size = 0;
  std::vector<GraphBucket> m_buckets;
  int m_current = 0;
  int m_capacity = 1;
};

template <class F> void CGraphSamples::Walk(std::size_t first, F &&f) const {
  for (std::size_t i = first; i < m_size;) {
    const GraphSample *chunk = m_chunks[i / ChunkSamples].get();
    std::size_t end = std::min(m_size, (i / ChunkSamples + 1) * ChunkSamples);
    for (std::size_t j = i % ChunkSamples; i < end; ++i, ++j)
      if (!f(chunk[j]))
        return;
  }
}
