// Track names come from the owner's full description, dynamic layers included.
#include <gtest/gtest.h>

#include "description_support.h"
#include "host/core/simple_nodes.h"
#include "host/description/attribute_view.h"
#include "host/description/track_labels.h"

namespace qhost {
namespace {

using test::LayerDescId;
using test::MenuGenerator;

String AllocatedTrackName(BaseObject* op, const DescID& id)
{
  CTrack* track = CTrack::Alloc(op, id);
  EXPECT_NE(track, nullptr);
  if (!track)
    return String();
  const String name = track->GetName();
  CTrack::Free(track);
  return name;
}

DescID Component(Int32 parameter, Int32 component)
{
  return DescID(DescLevel(parameter, DTYPE_VECTOR, 0), DescLevel(component, DTYPE_REAL, 0));
}

TEST(TrackLabels, NameStaticAndLayerParameters)
{
  MenuGenerator gen;
  PressButton(gen.Node(), OXROCK_ADD_LAYER);
  EXPECT_EQ(AllocatedTrackName(gen.Object(), DescID(OXROCK_SEED)), "Seed");
  EXPECT_EQ(AllocatedTrackName(gen.Object(), LayerDescId(0, OXROCK_LAYER_STRENGTH)), "Strength");
  EXPECT_EQ(AllocatedTrackName(gen.Object(), LayerDescId(1, OXROCK_LAYER_FLATTEN)), "Flatten");
  const Int32 scale = LayerParameterId(1, OXROCK_LAYER_NOISE_SCALE);
  EXPECT_EQ(AllocatedTrackName(gen.Object(), Component(scale, 1000)), "Noise Scale . X");
  EXPECT_EQ(AllocatedTrackName(gen.Object(), Component(scale, 1001)), "Noise Scale . Y");
  EXPECT_EQ(AllocatedTrackName(gen.Object(), Component(scale, 1002)), "Noise Scale . Z");
}

TEST(TrackLabels, UnknownParametersAreNamedByNumber)
{
  MenuGenerator gen;
  EXPECT_EQ(DescriptionTrackLabel(gen.Node(), DescID(99999)), "Parameter 99999");
  // Layer 1 does not exist while there is one layer.
  EXPECT_EQ(DescriptionTrackLabel(gen.Node(), LayerDescId(1, OXROCK_LAYER_STRENGTH)),
            "Parameter " + std::to_string(LayerParameterId(1, OXROCK_LAYER_STRENGTH)));
}

TEST(TrackLabels, InstalledResolverIsUsedForTrackNames)
{
  MenuGenerator gen;
  // The static description alone has no layer elements; the host's resolver
  // is the one that knows them.
  EXPECT_EQ(TrackName(gen.Node(), LayerDescId(0, OXROCK_LAYER_ELEVATE)), "Elevate");
  EXPECT_EQ(TrackName(gen.Node(), Component(LayerParameterId(0, OXROCK_LAYER_NOISE_SCALE), 1001)),
            "Noise Scale . Y");
}

} // namespace
} // namespace qhost
