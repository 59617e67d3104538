#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "Render/AnimationRequest.h"
#include "Render/Renderable.h"
#include "Render/VertexEffectChain.h"
#include "core/GameObjectParts.h"

class CPAnimation;
class CPGameObject;
struct CPAnimationFrame;

// A renderable whose geometry is a flip-book: of several named animations
// it plays one, picks the frame for the current game time, places it by
// its owner's world matrix and writes it into the batch. It counts passes,
// stops after a loop limit and tells a listener by command when it stops
// ("animation_stopped") and when a pass reaches its report frame
// ("animation_report"); its owner's enemy hooks hear both.
//
// The animations belong to the animation cache; the object only refers to
// them. The effect chain is its own.
class CPAnimatedObject : public CPRenderable, public CPRenderPart {
  public:
    CPAnimatedObject();
    ~CPAnimatedObject() override;

    CPAnimatedObject(const CPAnimatedObject&) = delete;
    CPAnimatedObject& operator=(const CPAnimatedObject&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPAnimatedObject); }
    std::string GetTypeName() const override { return "CPAnimatedObject"; }

    std::int32_t GetPartKind() const override;
    CPObjectPtr CopyFor(CPGameObject* owner) override;

    // --- Batching ------------------------------------------------------------

    bool IsDisabled() const override { return false; }
    void SetDisabled(bool) override {}
    // The counts of the frame WriteVertices writes at the same game time;
    // asking changes nothing and sends nothing.
    int GetVertexCount() override;
    int GetIndexCount() override;
    // Picks the frame for the game time (stopping and reporting on the way),
    // writes its vertices placed by the owner, runs the effect chain over
    // them and writes the indices plus `base`, with the winding turned for
    // a mirroring owner.
    void WriteVertices(CPMeshVertex* vertices, std::uint16_t* indices, std::uint16_t base,
                       int unused) override;
    void WriteIndices(std::uint16_t*, int, std::uint16_t&, std::uint16_t&) override {}
    void GetMaterial(CPObjectPtr& material) const override { material = m_material; }

    // --- Animations ----------------------------------------------------------

    // Keeps the animation under the name, replacing one stored there; the
    // first one added starts playing.
    void AddAnimation(const std::string& name, CPObjectPtr animation);
    // Plays the named animation from gameTime + the request's delay. A name
    // already playing is left alone unless restart is set; a name not in
    // the map changes nothing. Returns whether it started.
    bool StartAnimation(const CPAnimationRequest& request, bool restart, double gameTime) override;

    // Takes the source's animations, playing state, material and a clone
    // of its effect chain. Anything but an animated object changes nothing.
    virtual void CopyFrom(CPObjectPtr source);

    void SetMaterial(CPObjectPtr material) override { m_material = material; }
    CPGameObject* GetOwner() const { return m_owner; }
    void SetOwner(CPGameObject* owner) override { m_owner = owner; }

    bool HasEffects() const { return m_hasEffects; }
    void SetHasEffects(bool hasEffects) { m_hasEffects = hasEffects; }
    CPVertexEffectChain& GetEffects() { return m_effects; }

    const std::unordered_map<std::string, CPObjectPtr>& GetAnimations() const { return m_animations; }
    CPAnimation* GetAnimation() const { return m_animation; }
    const std::string& GetName() const { return m_name; }
    bool IsStopped() const { return m_stopped; }
    int GetLoopsDone() const { return m_loopsDone; }
    // Index of the frame shown last; -1 before the first write.
    int GetCurrentFrame() const { return m_currentFrame; }

  private:
    // The frame index the next write would leave shown, and whether that
    // write would stop the animation. -1 when there is nothing to show.
    int PredictFrame(float elapsed, bool* stops) const;
    float ElapsedAt(double gameTime) const;
    const CPAnimationFrame* FrameAt(int index) const;
    void Notify(const char* command) const;
    void WriteFrame(const CPAnimationFrame& frame, CPMeshVertex* vertices, std::uint16_t* indices,
                    std::uint16_t base);

    CPGameObject* m_owner = nullptr; // not counted
    CPObjectPtr m_material;
    std::unordered_map<std::string, CPObjectPtr> m_animations;
    CPAnimation* m_animation = nullptr; // the one playing
    CPObjectPtr m_animationRef;         // its reference
    float m_startTime = 0.0f;
    int m_loopLimit = 0;
    int m_loopsDone = 0;
    int m_reportedFrame = -1;
    int m_reportFrame = -1;
    float m_speed = 1.0f;
    CPObjectPtr m_listener;
    // An index, not a pointer: a reload of the animation replaces its frames.
    int m_currentFrame = -1;
    bool m_stopped = false;
    std::string m_name;
    bool m_hasEffects = false;
    CPVertexEffectChain m_effects;
};
