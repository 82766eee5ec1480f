// The generator's messages: the Phong tag of a new object, and the About,
// Help, add-layer and remove-layer buttons.
#include "oxrock_ids.h"
#include "rockmaker.h"

namespace {

constexpr Float kPhongAngle = 1.3962634015954636; // 80 degrees
constexpr const char* kHelpDocument = "QuorvaneMaker.pdf";

// Layer parameters whose animation tracks go with a removed layer.
constexpr Int32 kTrackedOffsets[] = {OXROCK_LAYER_USE, OXROCK_LAYER_NOISE_TYPE, OXROCK_LAYER_STRENGTH,
                                     OXROCK_LAYER_NOISE_SCALE, OXROCK_LAYER_ABSOLUTE};

void ShowAbout()
{
  MessageDialog(GEMB_OK | GEMB_ICONEXCLAMATION,
                "Quorvane Maker procedural rock generator\n"
                "Made by the Quorvane developers; free to use in your scenes.\n"
                "https://quorvane.net");
}

void OpenHelp()
{
  // The host joins the name with the platform's separator, so the document
  // opens on every system.
  GeExecuteFile(GeGetPluginPath() + Filename(kHelpDocument));
}

void RemoveTrack(CTrack* track)
{
  track->Remove();
  CTrack::Free(track);
}

// Removes the track of a vector parameter's X component together with the Y
// and Z tracks that follow it.
void RemoveTrackWithComponents(CTrack* track)
{
  if (track->GetName() == "Noise Scale . X")
  {
    CTrack* t1 = track->GetNext();
    CTrack* t2 = t1 ? t1->GetNext() : nullptr;
    if (t1 && t1->GetName() == "Noise Scale . Y")
      RemoveTrack(t1);
    if (t2 && t2->GetName() == "Noise Scale . Z")
      RemoveTrack(t2);
  }
  RemoveTrack(track);
}

void AddLayer(BaseList2D* op, BaseContainer& bc)
{
  bc.SetInt32(OXROCK_LAYER_COUNT, bc.GetInt32(OXROCK_LAYER_COUNT) + 1);
  op->Message(MSG_CHANGE);
}

void RemoveLayer(BaseList2D* op, BaseContainer& bc)
{
  const Int32 n = bc.GetInt32(OXROCK_LAYER_COUNT);
  if (n <= 1)
    return;
  const Int32 group = OXROCK_LAYER_FIRST_ID - OXROCK_LAYER_ID_STRIDE + OXROCK_LAYER_ID_STRIDE * n;
  bc.SetBool(group + OXROCK_LAYER_INITIALIZED, false);

  for (CTrack* track = op->GetFirstCTrack(); track; track = track->GetNext())
  {
    String info;
    track->TrackInformation(op->GetDocument(), nullptr, &info, false);
    ApplicationOutput("@", info);
  }
  for (const Int32 offset : kTrackedOffsets)
    if (CTrack* track = op->FindCTrack(DescID(DescLevel(group + offset, 0, 0))))
      RemoveTrackWithComponents(track);

  bc.SetInt32(OXROCK_LAYER_COUNT, n - 1);
  op->Message(MSG_CHANGE);
}

} // namespace

Bool RockMaker::Message(GeListNode* node, Int32 type, void* data)
{
  auto* op = static_cast<BaseObject*>(node);
  BaseContainer& bc = *op->GetDataInstance();
  if (type == MSG_MENUPREPARE)
    op->SetPhong(true, true, kPhongAngle);
  else if (type == MSG_DESCRIPTION_COMMAND && data)
  {
    switch (static_cast<const DescriptionCommand*>(data)->_descId[0].id)
    {
      case OXROCK_ABOUT: ShowAbout(); break;
      case OXROCK_HELP: OpenHelp(); break;
      case OXROCK_ADD_LAYER: AddLayer(op, bc); break;
      case OXROCK_REMOVE_LAYER: RemoveLayer(op, bc); break;
      default: break;
    }
  }
  return ObjectData::Message(node, type, data);
}
