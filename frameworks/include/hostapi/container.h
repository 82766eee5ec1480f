// Parameter values (GeData) and parameter containers (BaseContainer).
// Both are value types shared verbatim by the module and the host.
#pragma once

#include <memory>
#include <utility>
#include <variant>
#include <vector>

#include "hostapi/ids.h"
#include "hostapi/types.h"

class BaseContainer;
class BaseDocument;
class BaseList2D;

// Custom data (gradients, field lists, ...) is implemented by the host; values
// hold their own copy, made with Clone.
class CustomDataType
{
public:
  virtual ~CustomDataType() = default;
  virtual Int32 GetCustomDataTypeId() const = 0;
  virtual CustomDataType* Clone() const = 0;
  virtual Bool IsEqual(const CustomDataType& other) const = 0;
};

// A link to a node, by the node's unique ID; resolved in a document.
struct BaseLink
{
  Int64 uid = 0;

  BaseList2D* GetLink(const BaseDocument* doc) const;
  constexpr bool operator==(const BaseLink&) const = default;
};

class GeData
{
public:
  GeData() = default;
  GeData(Int32 v) : value_(v) {}
  GeData(Bool v) : value_(Int32(v ? 1 : 0)) {}
  GeData(Float v) : value_(v) {}
  GeData(const Vector& v) : value_(v) {}
  GeData(const Matrix& v) : value_(v) {}
  GeData(const String& v) : value_(v) {}
  GeData(const char* v) : value_(String(v)) {}
  GeData(const BaseLink& v) : value_(v) {}
  GeData(void* v) : value_(v) {}
  GeData(const BaseContainer& v);
  GeData(Int32 customType, const CustomDataType& v);

  GeData(const GeData& o) { *this = o; }
  GeData(GeData&&) noexcept = default;
  GeData& operator=(const GeData& o);
  GeData& operator=(GeData&&) noexcept = default;
  ~GeData();

  // One of the DA_* value types, or the custom data type ID.
  Int32 GetType() const;

  Int32 GetInt32() const;
  Bool GetBool() const { return GetInt32() != 0; }
  Float GetFloat() const;
  Vector GetVector() const;
  Matrix GetMatrix() const;
  String GetString() const;
  BaseLink GetBaseLink() const;
  void* GetVoid() const;
  const BaseContainer* GetContainer() const;
  BaseContainer* GetContainerW();
  const CustomDataType* GetCustomData(Int32 customType) const;
  CustomDataType* GetCustomDataW(Int32 customType);

  bool operator==(const GeData& o) const;

private:
  // Deep-copied alternatives; operator== below compares them by content.
  struct Container
  {
    std::unique_ptr<BaseContainer> bc;
    bool operator==(const Container&) const { return false; }
  };
  struct Custom
  {
    Int32 type = 0;
    std::unique_ptr<CustomDataType> data;
    bool operator==(const Custom&) const { return false; }
  };
  std::variant<std::monostate, Int32, Float, Vector, Matrix, String, BaseLink, void*, Container, Custom> value_;
};

// An ordered map from Int32 IDs to values; absent entries read as the caller's
// fallback. Entries keep their insertion order (choice lists rely on it).
class BaseContainer
{
public:
  explicit BaseContainer(Int32 id = 0) : id_(id) {}

  Int32 GetId() const { return id_; }
  void SetId(Int32 id) { id_ = id; }

  const GeData* GetDataPointer(Int32 id) const
  {
    for (const auto& entry : entries_)
      if (entry.first == id)
        return &entry.second;
    return nullptr;
  }
  GeData* GetDataPointerW(Int32 id) { return const_cast<GeData*>(std::as_const(*this).GetDataPointer(id)); }
  GeData GetData(Int32 id) const
  {
    const GeData* d = GetDataPointer(id);
    return d ? *d : GeData();
  }
  void SetData(Int32 id, const GeData& value)
  {
    if (GeData* d = GetDataPointerW(id))
      *d = value;
    else
      entries_.emplace_back(id, value);
  }
  Bool RemoveData(Int32 id)
  {
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
      if (it->first == id)
      {
        entries_.erase(it);
        return true;
      }
    return false;
  }
  void FlushAll() { entries_.clear(); }

  Int32 GetEntryCount() const { return Int32(entries_.size()); }
  Int32 GetIndexId(Int32 index) const { return entries_[size_t(index)].first; }
  const GeData& GetIndexData(Int32 index) const { return entries_[size_t(index)].second; }

  Bool GetBool(Int32 id, Bool fallback = false) const { return Read(id, DA_LONG, fallback, &GeData::GetBool); }
  Int32 GetInt32(Int32 id, Int32 fallback = 0) const { return Read(id, DA_LONG, fallback, &GeData::GetInt32); }
  Float GetFloat(Int32 id, Float fallback = 0.0) const { return Read(id, DA_REAL, fallback, &GeData::GetFloat); }
  Vector GetVector(Int32 id, const Vector& fallback = Vector()) const { return Read(id, DA_VECTOR, fallback, &GeData::GetVector); }
  Matrix GetMatrix(Int32 id, const Matrix& fallback = Matrix()) const { return Read(id, DA_MATRIX, fallback, &GeData::GetMatrix); }
  String GetString(Int32 id, const String& fallback = String()) const { return Read(id, DA_STRING, fallback, &GeData::GetString); }
  void* GetVoid(Int32 id) const { return Read(id, DA_VOID, static_cast<void*>(nullptr), &GeData::GetVoid); }
  BaseContainer GetContainer(Int32 id) const;
  BaseContainer* GetContainerInstance(Int32 id)
  {
    GeData* d = GetDataPointerW(id);
    return d ? d->GetContainerW() : nullptr;
  }
  // The linked node resolved in doc, or null; with instanceOf, only a node of that type.
  BaseList2D* GetLink(Int32 id, const BaseDocument* doc, Int32 instanceOf = 0) const;
  template <typename T>
  const T* GetCustomDataType(Int32 id, Int32 customType) const
  {
    const GeData* d = GetDataPointer(id);
    return d ? static_cast<const T*>(d->GetCustomData(customType)) : nullptr;
  }

  void SetBool(Int32 id, Bool v) { SetData(id, GeData(v)); }
  void SetInt32(Int32 id, Int32 v) { SetData(id, GeData(v)); }
  void SetFloat(Int32 id, Float v) { SetData(id, GeData(v)); }
  void SetVector(Int32 id, const Vector& v) { SetData(id, GeData(v)); }
  void SetMatrix(Int32 id, const Matrix& v) { SetData(id, GeData(v)); }
  void SetString(Int32 id, const String& v) { SetData(id, GeData(v)); }
  void SetContainer(Int32 id, const BaseContainer& v) { SetData(id, GeData(v)); }
  void SetLink(Int32 id, const BaseList2D* node);

  bool operator==(const BaseContainer& o) const { return id_ == o.id_ && entries_ == o.entries_; }

private:
  template <typename T>
  T Read(Int32 id, Int32 type, const T& fallback, T (GeData::*get)() const) const
  {
    const GeData* d = GetDataPointer(id);
    if (!d)
      return fallback;
    // Bools and Int32s share one value type; a Float read of an Int32 converts.
    const Int32 held = d->GetType();
    if (held == type || (type == DA_REAL && held == DA_LONG) || (type == DA_LONG && held == DA_REAL))
      return (d->*get)();
    return fallback;
  }

  Int32 id_ = 0;
  std::vector<std::pair<Int32, GeData>> entries_;
};

// ---- GeData members that need the complete BaseContainer -----------------------
inline GeData::GeData(const BaseContainer& v) : value_(Container{std::make_unique<BaseContainer>(v)}) {}
inline GeData::GeData(Int32 customType, const CustomDataType& v)
    : value_(Custom{customType, std::unique_ptr<CustomDataType>(v.Clone())})
{
}
inline GeData::~GeData() = default;

inline GeData& GeData::operator=(const GeData& o)
{
  if (this == &o)
    return *this;
  if (const auto* c = std::get_if<Container>(&o.value_))
    value_ = Container{std::make_unique<BaseContainer>(*c->bc)};
  else if (const auto* cd = std::get_if<Custom>(&o.value_))
    value_ = Custom{cd->type, std::unique_ptr<CustomDataType>(cd->data ? cd->data->Clone() : nullptr)};
  else
    std::visit(
        [this](const auto& v) {
          using T = std::decay_t<decltype(v)>;
          if constexpr (!std::is_same_v<T, Container> && !std::is_same_v<T, Custom>)
            value_ = v;
        },
        o.value_);
  return *this;
}

inline Int32 GeData::GetType() const
{
  switch (value_.index())
  {
    case 1: return DA_LONG;
    case 2: return DA_REAL;
    case 3: return DA_VECTOR;
    case 4: return DA_MATRIX;
    case 5: return DA_STRING;
    case 6: return DA_ALIASLINK;
    case 7: return DA_VOID;
    case 8: return DA_CONTAINER;
    case 9: return std::get<Custom>(value_).type;
    default: return DA_NIL;
  }
}

inline Int32 GeData::GetInt32() const
{
  if (const auto* v = std::get_if<Int32>(&value_))
    return *v;
  if (const auto* f = std::get_if<Float>(&value_))
    return Int32(*f);
  return 0;
}
inline Float GeData::GetFloat() const
{
  if (const auto* v = std::get_if<Float>(&value_))
    return *v;
  if (const auto* i = std::get_if<Int32>(&value_))
    return Float(*i);
  return 0.0;
}
inline Vector GeData::GetVector() const
{
  const auto* v = std::get_if<Vector>(&value_);
  return v ? *v : Vector();
}
inline Matrix GeData::GetMatrix() const
{
  const auto* v = std::get_if<Matrix>(&value_);
  return v ? *v : Matrix();
}
inline String GeData::GetString() const
{
  const auto* v = std::get_if<String>(&value_);
  return v ? *v : String();
}
inline BaseLink GeData::GetBaseLink() const
{
  const auto* v = std::get_if<BaseLink>(&value_);
  return v ? *v : BaseLink();
}
inline void* GeData::GetVoid() const
{
  const auto* v = std::get_if<void*>(&value_);
  return v ? *v : nullptr;
}
inline const BaseContainer* GeData::GetContainer() const
{
  const auto* v = std::get_if<Container>(&value_);
  return v ? v->bc.get() : nullptr;
}
inline BaseContainer* GeData::GetContainerW()
{
  auto* v = std::get_if<Container>(&value_);
  return v ? v->bc.get() : nullptr;
}
inline const CustomDataType* GeData::GetCustomData(Int32 customType) const
{
  const auto* v = std::get_if<Custom>(&value_);
  return v && v->type == customType ? v->data.get() : nullptr;
}
inline CustomDataType* GeData::GetCustomDataW(Int32 customType)
{
  auto* v = std::get_if<Custom>(&value_);
  return v && v->type == customType ? v->data.get() : nullptr;
}

inline bool GeData::operator==(const GeData& o) const
{
  if (value_.index() != o.value_.index())
    return false;
  if (const auto* c = std::get_if<Container>(&value_))
    return *c->bc == *std::get<Container>(o.value_).bc;
  if (const auto* cd = std::get_if<Custom>(&value_))
  {
    const auto& other = std::get<Custom>(o.value_);
    if (cd->type != other.type || !cd->data || !other.data)
      return cd->type == other.type && !cd->data && !other.data;
    return cd->data->IsEqual(*other.data);
  }
  return value_ == o.value_;
}

inline BaseContainer BaseContainer::GetContainer(Int32 id) const
{
  const GeData* d = GetDataPointer(id);
  const BaseContainer* bc = d ? d->GetContainer() : nullptr;
  return bc ? *bc : BaseContainer();
}
