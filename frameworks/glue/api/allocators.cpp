// Static allocation functions of the API classes, forwarded to the host.
#include "glue/api/bound_host.h"

namespace {
template <typename T>
T* AllocNode(NodeClass kind, Int32 type)
{
  return static_cast<T*>(glue::Host().core->AllocNode(kind, type));
}
template <typename T>
void FreeNode(T*& node)
{
  if (node)
    glue::Host().core->FreeNode(node);
  node = nullptr;
}
} // namespace

BaseObject* BaseObject::Alloc(Int32 type) { return AllocNode<BaseObject>(NodeClass::Object, type); }
void BaseObject::Free(BaseObject*& op) { FreeNode(op); }
PolygonObject* PolygonObject::Alloc(Int32 pointCount, Int32 polygonCount)
{
  return glue::Host().geometry->AllocPolygonObject(pointCount, polygonCount);
}
BaseTag* BaseTag::Alloc(Int32 type) { return AllocNode<BaseTag>(NodeClass::Tag, type); }
void BaseTag::Free(BaseTag*& tag) { FreeNode(tag); }
BaseDocument* BaseDocument::Alloc() { return AllocNode<BaseDocument>(NodeClass::Document, Tbasedocument); }
void BaseDocument::Free(BaseDocument*& doc) { FreeNode(doc); }
RenderData* RenderData::Alloc() { return AllocNode<RenderData>(NodeClass::RenderData, Rbase); }
BaseShader* BaseShader::Alloc(Int32 type) { return AllocNode<BaseShader>(NodeClass::Shader, type); }
void BaseShader::Free(BaseShader*& shader) { FreeNode(shader); }
BaseMaterial* BaseMaterial::Alloc(Int32 type) { return AllocNode<BaseMaterial>(NodeClass::Material, type); }
void BaseMaterial::Free(BaseMaterial*& mat) { FreeNode(mat); }
CTrack* CTrack::Alloc(BaseList2D* owner, const DescID& id) { return glue::Host().core->AllocTrack(owner, id); }
void CTrack::Free(CTrack*& track) { FreeNode(track); }

Gradient* Gradient::Alloc()
{
  return static_cast<Gradient*>(glue::Host().core->AllocCustomData(CUSTOMDATATYPE_GRADIENT));
}
void Gradient::Free(Gradient*& gradient)
{
  if (gradient)
    glue::Host().core->FreeCustomData(gradient);
  gradient = nullptr;
}
FieldList* FieldList::Alloc()
{
  return static_cast<FieldList*>(glue::Host().core->AllocCustomData(CUSTOMDATATYPE_FIELDLIST));
}
void FieldList::Free(FieldList*& list)
{
  if (list)
    glue::Host().core->FreeCustomData(list);
  list = nullptr;
}

BaseSelect* BaseSelect::Alloc() { return glue::Host().geometry->AllocSelect(); }
void BaseSelect::Free(BaseSelect*& sel)
{
  if (sel)
    glue::Host().geometry->FreeSelect(sel);
  sel = nullptr;
}
SelectionChanger* SelectionChanger::Alloc() { return glue::Host().geometry->AllocSelectionChanger(); }
void SelectionChanger::Free(SelectionChanger*& sc)
{
  if (sc)
    glue::Host().geometry->FreeSelectionChanger(sc);
  sc = nullptr;
}
Neighbor* Neighbor::Alloc() { return glue::Host().geometry->AllocNeighbor(); }
void Neighbor::Free(Neighbor*& nb)
{
  if (nb)
    glue::Host().geometry->FreeNeighbor(nb);
  nb = nullptr;
}
GeNoise* GeNoise::Alloc(Int32 seed) { return glue::Host().noise->AllocNoise(seed); }
void GeNoise::Free(GeNoise*& noise)
{
  if (noise)
    glue::Host().noise->FreeNoise(noise);
  noise = nullptr;
}
