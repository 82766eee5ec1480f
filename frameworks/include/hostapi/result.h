// Results of host operations that can fail: a value or an error text.
// Nothing is thrown across the module boundary.
#pragma once

#include <utility>

#include "hostapi/types.h"

template <typename T>
class Result
{
public:
  Result(T value) : value_(std::move(value)) {}
  static Result Failure(String error)
  {
    Result r{T{}};
    r.error_ = std::move(error);
    r.failed_ = true;
    return r;
  }

  Bool HasError() const { return failed_; }
  const String& GetError() const { return error_; }
  T& GetValue() { return value_; }
  const T& GetValue() const { return value_; }

private:
  T value_;
  String error_;
  Bool failed_ = false;
};

struct Ok
{
};
using Status = Result<Ok>;
