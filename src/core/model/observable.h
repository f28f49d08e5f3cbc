// The observer pair: editors, the edit object and the panels report to their
// owners through it.
#pragma once

#include <vector>

class CObservable;

class CObserver {
public:
  virtual ~CObserver() = default;
  virtual void Update(CObservable &source) = 0;
};

class CObservable {
public:
  virtual ~CObservable() = default;

  // The list does not own its observers, and there is no detach: every
  // observer lives at least as long as the subjects it watches.
  void Attach(CObserver *observer) { m_observers.push_back(observer); }

  void Notify() {
    // A copy, so an observer attached while the notification runs does not
    // invalidate the walk; it is first called on the next notification.
    const std::vector<CObserver *> observers = m_observers;
    for (CObserver *observer : observers)
      observer->Update(*this);
  }

private:
  std::vector<CObserver *> m_observers;
};
