// The demo's sample models (biped.x, biped_wave.x) read by an independent .X reader (the Open
// Asset Import Library): rebuilt as a substitute-host object, a limb per frame in file order with
// the frame's rest matrix and the animation's keys as matrix keys, the plug-in's extraction gives
// back the demo's walk.xam and wave.xam. Runs after the demo, with the other DemoOutputs tests.
#include <assimp/cimport.h>
#include <assimp/scene.h>
#include <math.h>

#include <string>
#include <vector>

#include "anim/animfile.h"
#include "support/anim_builders.h"
#include "support/plugin_fixture.h"

namespace {

const std::string kOut = XAMO_DEMO_OUT;

// The reader hands matrices over for column vectors and, for this left-handed format, with Z
// mirrored; the host's (and the file's) matrices are for row vectors in the left-handed space.
Mat4 HostMatrix(const aiMatrix4x4& a) {
  const float mirror[4] = {1, 1, -1, 1};
  const ai_real* e = &a.a1;  // row-major, column vectors
  Mat4 m;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m.m[4 * c + r] = e[4 * r + c] * mirror[r] * mirror[c];
  return m;
}

void Frames(const aiNode* n, std::vector<const aiNode*>* out) {
  out->push_back(n);
  for (unsigned i = 0; i < n->mNumChildren; ++i) Frames(n->mChildren[i], out);
}

using DemoOutputs = PluginTest;

TEST_F(DemoOutputs, ModelFilesGiveTheAnimationsBackThroughExtraction) {
  for (const char* name : {"walk", "wave"}) {
    SCOPED_TRACE(name);
    const std::string model = kOut + (std::string(name) == "walk" ? "/biped.x" : "/biped_wave.x");
    const aiScene* scene = aiImportFile(model.c_str(), 0);
    ASSERT_NE(scene, nullptr) << aiGetErrorString();
    std::vector<const aiNode*> frames;
    Frames(scene->mRootNode, &frames);
    ASSERT_EQ(scene->mNumAnimations, 1u);
    const aiAnimation& set = *scene->mAnimations[0];
    EXPECT_EQ(set.mTicksPerSecond, x.Xamo_GetDefaultPlaySpeed()) << "one tick is one frame";

    sObject* obj = subhost::MakeObject(1, static_cast<uint32_t>(frames.size()));
    std::vector<int> parents(frames.size(), -1);
    for (size_t i = 0; i < frames.size(); ++i) {
      for (size_t p = 0; p < i; ++p)
        if (frames[p] == frames[i]->mParent) parents[i] = static_cast<int>(p);
      *AsMat4(subhost::Limb(obj, static_cast<uint32_t>(i))->localMatrix) = HostMatrix(frames[i]->mTransformation);
    }
    subhost::LinkTree(obj, parents);
    for (unsigned c = 0; c < set.mNumChannels; ++c) {
      const aiNodeAnim& ch = *set.mChannels[c];
      uint32_t limb = 0;
      while (limb < frames.size() && frames[limb]->mName != ch.mNodeName) ++limb;
      ASSERT_LT(limb, frames.size()) << ch.mNodeName.C_Str();
      ASSERT_TRUE(ch.mNumPositionKeys == ch.mNumRotationKeys && ch.mNumScalingKeys == ch.mNumRotationKeys);
      sLimbAnim* keys = subhost::AddLimbAnim(obj, limb);
      for (unsigned k = 0; k < ch.mNumRotationKeys; ++k) {
        const aiMatrix4x4 m(ch.mScalingKeys[k].mValue, ch.mRotationKeys[k].mValue, ch.mPositionKeys[k].mValue);
        subhost::AddMatrixKey(keys, static_cast<uint32_t>(lround(ch.mRotationKeys[k].mTime)), HostMatrix(m).m);
      }
    }
    subhost::SetTotalAnimFrames(obj, static_cast<float>(set.mDuration));
    aiReleaseImport(scene);

    std::string extracted = TempPath("extracted.xam");
    x.Xamo_ObjExtractAnimation(1, &extracted[0], 0, -1);
    AnimData* got = AnimLoadFile(extracted.c_str());
    AnimData* want = AnimLoadFile((kOut + "/" + name + ".xam").c_str());
    ASSERT_EQ(got->limbCount, want->limbCount);
    ASSERT_EQ(want->limbCount, 15u);
    EXPECT_EQ(got->totalFrames, want->totalFrames);
    // Keys, not reference matrices: the extraction stores the rest matrix's inverse there, the
    // blank file the demo shaped its animations from the identity; nothing reads them.
    for (uint32_t t = 0; t < want->limbCount; ++t) {
      ASSERT_EQ(got->tracks[t].keyCount, want->tracks[t].keyCount) << "track " << t;
      for (uint32_t k = 0; k < want->tracks[t].keyCount; ++k) {
        SCOPED_TRACE("track " + std::to_string(t) + " key " + std::to_string(k));
        EXPECT_EQ(got->tracks[t].keys[k].time, want->tracks[t].keys[k].time);
        testanim::ExpectNear(got->tracks[t].keys[k].matrix, want->tracks[t].keys[k].matrix, 1e-5f);
      }
    }
    AnimFree(got);
    AnimFree(want);
  }
}

}  // namespace
