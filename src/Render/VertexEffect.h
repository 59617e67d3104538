#pragma once

#include <memory>

#include "Render/MeshVertex.h"

// Rewrites vertices while a renderable copies them into a batch: scrolls
// or flips texture coordinates, fades or flickers the alpha, derives
// environment-map coordinates. Each effect keeps its own clock and moves it
// by the frame time every time it is applied, so an effect whose renderable
// is not drawn stands still.
class CPVertexEffect {
  public:
    CPVertexEffect() = default;
    CPVertexEffect(const CPVertexEffect&) = default;
    CPVertexEffect& operator=(const CPVertexEffect&) = default;
    virtual ~CPVertexEffect() = default;

    // Advances the effect's state by dt seconds.
    virtual void Update(float dt) = 0;
    // Copies each of the count vertices from in to out and rewrites some of
    // out's fields. out may be in: the effects of a chain after the first
    // work in place.
    virtual void Apply(CPMeshVertex* out, const CPMeshVertex* in, int count) = 0;
    // A new effect of the same kind in the same state.
    virtual std::unique_ptr<CPVertexEffect> Clone() const = 0;
    // Back to the start state; only effects that have one do anything.
    virtual void Reset() {}

  protected:
    // Copies the vertices unless out already is in.
    static void CopyVertices(CPMeshVertex* out, const CPMeshVertex* in, int count);
};
