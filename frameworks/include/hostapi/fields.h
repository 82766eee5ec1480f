// Fields: falloff objects combined in a field list and sampled at many points.
#pragma once

#include <vector>

#include "hostapi/document.h"
#include "hostapi/result.h"

struct FieldInput
{
  const Vector* position = nullptr;
  const Vector* direction = nullptr;
  const Vector* uvw = nullptr;
  Int32 blockCount = 0;
  Int32 fullArraySize = 0;
  Matrix transform;

  FieldInput() = default;
  FieldInput(const Vector* pos, const Vector* dir, const Vector* uv, Int32 count, Int32 fullSize,
             const Matrix& m = Matrix())
      : position(pos), direction(dir), uvw(uv), blockCount(count), fullArraySize(fullSize), transform(m)
  {
  }
};

// Sampled values; the value block comes first.
struct FieldOutput
{
  Float* _value = nullptr;
  Vector* _color = nullptr;
  Float* _alpha = nullptr;
  Vector* _direction = nullptr;
  Int32 _count = 0;

  FieldOutput() = default;
  FieldOutput(const FieldOutput&) = delete;
  FieldOutput& operator=(const FieldOutput&) = delete;

  Status Resize(Int32 count, Int32 sampleFlags)
  {
    if (count < 0)
      return Status::Failure("negative sample count");
    values_.assign(size_t(count), 0.0);
    colors_.assign((sampleFlags & FIELDSAMPLE_FLAG_COLOR) ? size_t(count) : 0, Vector());
    alphas_.assign((sampleFlags & FIELDSAMPLE_FLAG_COLOR) ? size_t(count) : 0, 0.0);
    directions_.assign(size_t(count), Vector());
    _value = values_.data();
    _color = colors_.empty() ? nullptr : colors_.data();
    _alpha = alphas_.empty() ? nullptr : alphas_.data();
    _direction = directions_.data();
    _count = count;
    return Ok{};
  }

private:
  std::vector<Float> values_;
  std::vector<Vector> colors_;
  std::vector<Float> alphas_;
  std::vector<Vector> directions_;
};

struct FieldInfo
{
  const BaseList2D* caller = nullptr;
  BaseDocument* doc = nullptr;
  Int32 flags = 0;
  const FieldInput* input = nullptr;

  static Result<FieldInfo> Create(const BaseList2D* caller, BaseDocument* doc, Int32 flags, const FieldInput& input)
  {
    if (!doc)
      return Result<FieldInfo>::Failure("no document to sample fields in");
    return FieldInfo{caller, doc, flags, &input};
  }
};

class FieldLayer : public BaseList2D
{
public:
  FieldLayer* GetNext() const { return static_cast<FieldLayer*>(GetNextNode()); }
  FieldLayer* GetDown() const { return static_cast<FieldLayer*>(GetDownNode()); }
  // The object a field layer samples, resolved in doc; null for folders.
  virtual BaseList2D* GetLinkedObject(const BaseDocument* doc) const = 0;
};

// The list head that holds a field list's layers.
class GeListHead
{
public:
  virtual GeListNode* GetFirst() const = 0;

protected:
  virtual ~GeListHead() = default;
};

class FieldList : public CustomDataType
{
public:
  static FieldList* Alloc();
  static void Free(FieldList*& list);

  // Whether any layer can produce one of the channels in mask (FIELDLAYER_CHANNELFLAG_*).
  virtual Bool HasContent(Int32 channelMask) const = 0;
  virtual GeListHead* GetLayersRoot() const = 0;
  // Number of layers, folders and their children included.
  virtual Int32 GetCount() const = 0;
  // Evaluates every input point in one call.
  virtual Status SampleList(const FieldInfo& info, const FieldInput& input, FieldOutput& output) const = 0;

  // Adds a layer linking object (or a folder when object is null) at the end of
  // folder's children, or at the top level.
  virtual FieldLayer* AddLayer(const BaseList2D* object, FieldLayer* folder = nullptr) = 0;
};
