#include "host/io/scene_compare.h"

#include <cmath>
#include <vector>

#include "host/core/document_node.h"
#include "host/core/simple_nodes.h"
#include "host/fields/field_list.h"
#include "host/geometry/object_node.h"
#include "host/geometry/tag_nodes.h"
#include "host/shading/host_gradient.h"
#include "host/shading/layer_shader.h"

namespace qhost {
namespace {

bool Same(Float a, Float b) { return a == b || (std::isnan(a) && std::isnan(b)); }
bool Same(const Vector& a, const Vector& b) { return Same(a.x, b.x) && Same(a.y, b.y) && Same(a.z, b.z); }
bool Same(const Matrix& a, const Matrix& b)
{
  return Same(a.off, b.off) && Same(a.v1, b.v1) && Same(a.v2, b.v2) && Same(a.v3, b.v3);
}

class Comparer
{
public:
  explicit Comparer(std::string& difference) : difference_(difference) {}

  bool Documents(const DocumentNode& a, const DocumentNode& b)
  {
    const RenderData* activeA = a.GetActiveRenderData();
    const RenderData* activeB = b.GetActiveRenderData();
    if ((activeA ? activeA->GetUniqueId() : 0) != (activeB ? activeB->GetUniqueId() : 0))
      return Differ("document", "active render settings");
    return Nodes(a, b, "document") && Lists(a.children, b.children, "objects", &Comparer::Objects) &&
           Lists(a.materials, b.materials, "materials", &Comparer::Nodes) &&
           Lists(a.renderData, b.renderData, "renderdata", &Comparer::Nodes);
  }

private:
  using NodeFn = bool (Comparer::*)(const NodeCore&, const NodeCore&, const std::string&);

  bool Differ(const std::string& path, const std::string& what)
  {
    difference_ = path + ": " + what + " differ";
    return false;
  }

  bool Lists(const NodeList& a, const NodeList& b, const std::string& path, NodeFn same)
  {
    const NodeCore* x = a.first;
    const NodeCore* y = b.first;
    for (size_t i = 0; x && y; x = x->next, y = y->next, ++i)
      if (!(this->*same)(*x, *y, path + "[" + std::to_string(i) + "]"))
        return false;
    return x || y ? Differ(path, "lengths") : true;
  }

  bool Nodes(const NodeCore& a, const NodeCore& b, const std::string& path)
  {
    if (a.Type() != b.Type())
      return Differ(path, "types");
    if (a.name != b.name)
      return Differ(path, "names");
    if (a.Uid() != b.Uid())
      return Differ(path, "unique IDs");
    return Containers(a.data, b.data, path + ".data") && Family(a, b, path) &&
           Lists(a.shaders, b.shaders, path + ".shaders", &Comparer::Nodes) &&
           Lists(a.tracks, b.tracks, path + ".tracks", &Comparer::Nodes);
  }

  bool Objects(const NodeCore& a, const NodeCore& b, const std::string& path)
  {
    return Nodes(a, b, path) && Lists(a.tags, b.tags, path + ".tags", &Comparer::Nodes) &&
           Lists(a.children, b.children, path + ".children", &Comparer::Objects);
  }

  // What a node's family keeps outside its container.
  bool Family(const NodeCore& a, const NodeCore& b, const std::string& path)
  {
    if (const auto* x = dynamic_cast<const ObjectNode*>(&a))
    {
      const auto& y = dynamic_cast<const ObjectNode&>(b);
      if (!Same(x->GetMl(), y.GetMl()))
        return Differ(path, "matrices");
      if (x->Polygons() != y.Polygons())
        return Differ(path, "polygons");
      if (!std::equal(x->Points().begin(), x->Points().end(), y.Points().begin(), y.Points().end(),
                      [](const Vector& p, const Vector& q) { return Same(p, q); }))
        return Differ(path, "points");
    }
    if (const auto* x = dynamic_cast<const PolygonSelectionTagNode*>(&a))
      if (x->Selection().ToIndices() != dynamic_cast<const PolygonSelectionTagNode&>(b).Selection().ToIndices())
        return Differ(path, "selections");
    if (const auto* x = dynamic_cast<const UVWTagNode*>(&a))
    {
      const auto& y = dynamic_cast<const UVWTagNode&>(b);
      if (!std::equal(x->UVWs().begin(), x->UVWs().end(), y.UVWs().begin(), y.UVWs().end(),
                      [](const UVWStruct& p, const UVWStruct& q) {
                        return Same(p.a, q.a) && Same(p.b, q.b) && Same(p.c, q.c) && Same(p.d, q.d);
                      }))
        return Differ(path, "uvw coordinates");
    }
    if (const auto* x = dynamic_cast<const TrackNode*>(&a))
      return Tracks(const_cast<TrackNode&>(*x), const_cast<TrackNode&>(dynamic_cast<const TrackNode&>(b)), path);
    if (const auto* x = dynamic_cast<const LayerShaderNode*>(&a))
      return Layers(x->GetFirstLayer(), dynamic_cast<const LayerShaderNode&>(b).GetFirstLayer(), path + ".layers");
    return true;
  }

  bool Tracks(TrackNode& a, TrackNode& b, const std::string& path)
  {
    if (!(a.GetDescriptionID() == b.GetDescriptionID()))
      return Differ(path, "parameter IDs");
    if (a.GetKeyCount() != b.GetKeyCount())
      return Differ(path, "key counts");
    for (Int32 i = 0; i < a.GetKeyCount(); ++i)
    {
      Float ta = 0, va = 0, tb = 0, vb = 0;
      a.GetKey(i, &ta, &va);
      b.GetKey(i, &tb, &vb);
      if (!Same(ta, tb) || !Same(va, vb))
        return Differ(path + ".keys[" + std::to_string(i) + "]", "keys");
    }
    String ia, ib;
    a.TrackInformation(nullptr, nullptr, &ia, false);
    b.TrackInformation(nullptr, nullptr, &ib, false);
    return ia == ib || Differ(path, "information texts");
  }

  bool Layers(const LayerShaderLayer* a, const LayerShaderLayer* b, const std::string& path)
  {
    static constexpr Int32 kParameters[] = {kLayerOpacity, kLayerEffect, kLayerBrightness, kLayerContrast};
    for (size_t i = 0; a && b; a = a->GetNext(), b = b->GetNext(), ++i)
    {
      const std::string at = path + "[" + std::to_string(i) + "]";
      if (a->GetType() != b->GetType())
        return Differ(at, "layer types");
      for (Int32 id : kParameters)
      {
        GeData x, y;
        if (a->GetParameter(id, x) != b->GetParameter(id, y) || !Values(x, y, at + "." + std::to_string(id)))
          return Differ(at, "layer parameters");
      }
      GeData x, y;
      if (a->GetParameter(LAYER_S_PARAM_SHADER_LINK, x) &&
          (!b->GetParameter(LAYER_S_PARAM_SHADER_LINK, y) ||
           *static_cast<const BaseLink*>(x.GetVoid()) != *static_cast<const BaseLink*>(y.GetVoid())))
        return Differ(at, "layer links");
      if (!Layers(a->GetFirstChild(), b->GetFirstChild(), at + ".layers"))
        return false;
    }
    return a || b ? Differ(path, "layer counts") : true;
  }

  // Raw pointers are left out: a scene file cannot hold them.
  static std::vector<Int32> SavedEntries(const BaseContainer& bc)
  {
    std::vector<Int32> indices;
    for (Int32 i = 0; i < bc.GetEntryCount(); ++i)
      if (bc.GetIndexData(i).GetType() != DA_VOID)
        indices.push_back(i);
    return indices;
  }

  bool Containers(const BaseContainer& a, const BaseContainer& b, const std::string& path)
  {
    if (a.GetId() != b.GetId())
      return Differ(path, "container IDs");
    const std::vector<Int32> x = SavedEntries(a);
    const std::vector<Int32> y = SavedEntries(b);
    if (x.size() != y.size())
      return Differ(path, "entry counts");
    for (size_t i = 0; i < x.size(); ++i)
    {
      const Int32 id = a.GetIndexId(x[i]);
      if (id != b.GetIndexId(y[i]))
        return Differ(path + "[" + std::to_string(i) + "]", "entry IDs");
      if (!Values(a.GetIndexData(x[i]), b.GetIndexData(y[i]), path + "." + std::to_string(id)))
        return false;
    }
    return true;
  }

  bool Values(const GeData& a, const GeData& b, const std::string& path)
  {
    if (a.GetType() != b.GetType())
      return Differ(path, "value kinds");
    switch (a.GetType())
    {
      case DA_REAL: return Same(a.GetFloat(), b.GetFloat()) || Differ(path, "values");
      case DA_VECTOR: return Same(a.GetVector(), b.GetVector()) || Differ(path, "values");
      case DA_MATRIX: return Same(a.GetMatrix(), b.GetMatrix()) || Differ(path, "values");
      case DA_CONTAINER: return Containers(*a.GetContainer(), *b.GetContainer(), path);
      case CUSTOMDATATYPE_GRADIENT: return Gradients(a, b, path);
      case CUSTOMDATATYPE_FIELDLIST:
      {
        const auto* x = dynamic_cast<const HostFieldList*>(a.GetCustomData(CUSTOMDATATYPE_FIELDLIST));
        const auto* y = dynamic_cast<const HostFieldList*>(b.GetCustomData(CUSTOMDATATYPE_FIELDLIST));
        if (!x || !y)
          return (!x && !y) || Differ(path, "field lists");
        return Lists(x->Layers(), y->Layers(), path, &Comparer::FieldLayers);
      }
      default: return a == b || Differ(path, "values");
    }
  }

  bool FieldLayers(const NodeCore& a, const NodeCore& b, const std::string& path)
  {
    if (a.Type() != b.Type() || a.name != b.name)
      return Differ(path, "field layers");
    return Containers(a.data, b.data, path + ".data") &&
           Lists(a.children, b.children, path + ".children", &Comparer::FieldLayers);
  }

  bool Gradients(const GeData& a, const GeData& b, const std::string& path)
  {
    const auto* x = dynamic_cast<const HostGradient*>(a.GetCustomData(CUSTOMDATATYPE_GRADIENT));
    const auto* y = dynamic_cast<const HostGradient*>(b.GetCustomData(CUSTOMDATATYPE_GRADIENT));
    if (!x || !y)
      return (!x && !y) || Differ(path, "gradients");
    const GradientModel& p = x->Model();
    const GradientModel& q = y->Model();
    if (p.GetKnotCount() != q.GetKnotCount() || p.GetSettings() != q.GetSettings())
      return Differ(path, "gradients");
    for (Int32 i = 0; i < p.GetKnotCount(); ++i)
    {
      const GradientKnot& k = *p.GetKnot(i);
      const GradientKnot& l = *q.GetKnot(i);
      if (!Same(k.color, l.color) || !Same(k.brightness, l.brightness) || !Same(k.position, l.position) ||
          !Same(k.bias, l.bias) || k.index != l.index || k.interpolation != l.interpolation)
        return Differ(path + ".knots[" + std::to_string(i) + "]", "gradient knots");
    }
    return true;
  }

  std::string& difference_;
};

} // namespace

bool SameScene(const BaseDocument& a, const BaseDocument& b, std::string& difference)
{
  return Comparer(difference).Documents(dynamic_cast<const DocumentNode&>(*Core(&a)),
                                        dynamic_cast<const DocumentNode&>(*Core(&b)));
}

} // namespace qhost
