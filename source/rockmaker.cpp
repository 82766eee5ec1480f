// The generator's data class: allocation, initial values and bounding box.
#include "rockmaker.h"

#include "oxrock_ids.h"

NodeData* RockMaker::Alloc() { return NewObjClear<RockMaker>(); }

RockMaker::~RockMaker() { ReleaseLayerSelections(layers_); }

Bool RockMaker::Init(GeListNode* node, Bool /*isCloneInit*/)
{
  BaseContainer& bc = *static_cast<BaseList2D*>(node)->GetDataInstance();
  bc.SetInt32(OXROCK_SUBDIVISIONS, 4);
  bc.SetBool(OXROCK_SMOOTH_SUBDIVISION, true);
  bc.SetInt32(OXROCK_SUBDIVISION_MODE, 1);
  bc.SetFloat(OXROCK_SMOOTHING, 0.0);
  bc.SetInt32(OXROCK_LAYER_COUNT, 1);
  bc.SetInt32(OXROCK_SEED, 1234);
  bc.SetBool(OXROCK_NORMALIZE_POINTS, true);
  return true;
}

void RockMaker::Free(GeListNode* node) { ObjectData::Free(node); }

void RockMaker::GetDimension(const BaseObject* /*op*/, Vector* /*mp*/, Vector* rad) const
{
  if (rad)
    *rad = Vector();
}
