// An owning handle for what a module allocates through the API: it frees its
// object with the type's own static Free when it goes out of scope, so every
// path out of a function releases what it allocated. Use the type the API
// allocates (BaseObject, not PolygonObject), as its Free takes that type.
#pragma once

template <typename T>
class AutoFree
{
public:
  AutoFree() = default;
  explicit AutoFree(T* object) : object_(object) {}
  ~AutoFree() { Reset(); }

  AutoFree(const AutoFree&) = delete;
  AutoFree& operator=(const AutoFree&) = delete;
  AutoFree(AutoFree&& other) noexcept : object_(other.Release()) {}
  AutoFree& operator=(AutoFree&& other) noexcept
  {
    Reset(other.Release());
    return *this;
  }

  T* Get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }

  // Gives up ownership, for an object handed to the host or another owner.
  T* Release()
  {
    T* object = object_;
    object_ = nullptr;
    return object;
  }

  // Frees the object held (if any) and takes object instead.
  void Reset(T* object = nullptr)
  {
    T* old = object_;
    object_ = object;
    if (old)
      T::Free(old);
  }

private:
  T* object_ = nullptr;
};
