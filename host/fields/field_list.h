// Field lists: layers that each sample a field object (or group layers in a
// folder), blended top to bottom, evaluated at all points in one call.
#pragma once

#include <memory>

#include "host/core/node_core.h"

namespace qhost {

// Parameters of a field layer.
enum : Int32
{
  FIELDLAYER_BLEND = 2000,   // Int32, a BlendMode; Normal
  FIELDLAYER_OPACITY = 2001, // Float, 1.0
  FIELDLAYER_ENABLE = 2002,  // Bool, true
  FIELDLAYER_LINK = 2003,    // link to the field object (field layers only)
};

class FieldLayerNode final : public Node<FieldLayer>
{
public:
  explicit FieldLayerNode(Int32 type);
  BaseList2D* GetLinkedObject(const BaseDocument* doc) const override;
  bool IsFolder() const { return Type() == FLfolder; }
};

class HostFieldList final : public FieldList
{
public:
  HostFieldList();
  ~HostFieldList() override;
  HostFieldList(const HostFieldList&) = delete;
  HostFieldList& operator=(const HostFieldList&) = delete;

  Int32 GetCustomDataTypeId() const override { return CUSTOMDATATYPE_FIELDLIST; }
  CustomDataType* Clone() const override;
  Bool IsEqual(const CustomDataType& other) const override;

  Bool HasContent(Int32 channelMask) const override;
  GeListHead* GetLayersRoot() const override;
  Int32 GetCount() const override;
  Status SampleList(const FieldInfo& info, const FieldInput& input, FieldOutput& output) const override;
  FieldLayer* AddLayer(const BaseList2D* object, FieldLayer* folder) override;

  // The top-level layers (the scene file reader and writer walk them).
  const NodeList& Layers() const { return layers_; }
  NodeList& Layers() { return layers_; }

private:
  class Root;
  NodeList layers_{nullptr, ListKind::Branch};
  std::unique_ptr<Root> root_;
};

// The falloff shape of a field object type; false for types that are not fields.
bool IsFieldObjectType(Int32 type);

} // namespace qhost
