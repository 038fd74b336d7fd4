#pragma once
// Where Now, Date and Time read the current local date-time. The runtime
// holds one; tests and seeded runs give a fixed one.
namespace qel {

class Clock {
 public:
  virtual ~Clock() = default;
  // Days since 30 December 1899, time of day as the fraction.
  virtual double Now() const = 0;
};

class SystemClock : public Clock {
 public:
  double Now() const override;
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(double now = 0) : now_(now) {}
  void Set(double now) { now_ = now; }
  double Now() const override { return now_; }

 private:
  double now_;
};

}  // namespace qel
