#include "Render/AnimatedObject.h"

#include <algorithm>

#include "Render/Animation.h"
#include "Render/PartAnimation.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/ObjectHandle.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "platform/Math.h"

namespace {

const std::size_t kBucketHint = 100;

// The second-to-last frame, where a stopped animation rests; the only one
// of a single-frame animation.
int RestingFrame(const CPAnimation& animation)
{
    return std::max(0, static_cast<int>(animation.GetFrames().size()) - 2);
}

} // namespace

CPAnimatedObject::CPAnimatedObject() : m_animations(kBucketHint) {}

CPAnimatedObject::~CPAnimatedObject() = default;

// --- Animations --------------------------------------------------------------

void CPAnimatedObject::AddAnimation(const std::string& name, CPObjectPtr animation)
{
    auto* added = animation.As<CPAnimation>();
    if (!added)
        return;
    m_animations[name] = animation;
    if (m_animation)
        return;
    m_animation = added;
    m_animationRef = animation;
    m_stopped = false;
}

bool CPAnimatedObject::StartAnimation(const CPAnimationRequest& request, bool restart, double gameTime)
{
    if (!restart && request.name == m_name)
        return false;
    auto found = m_animations.find(request.name);
    if (found == m_animations.end() || !found->second)
        return false;

    m_name = request.name;
    m_animation = found->second.As<CPAnimation>();
    m_animationRef = found->second;
    m_startTime = static_cast<float>(gameTime + request.delay);
    m_loopLimit = request.loopLimit;
    m_loopsDone = 0;
    m_reportedFrame = -1;
    m_reportFrame = request.reportFrame;
    m_speed = request.speed;
    m_currentFrame = -1;
    m_listener = request.listener;
    m_stopped = false;
    if (m_hasEffects)
        m_effects.Reset();
    return true;
}

void CPAnimatedObject::CopyFrom(CPObjectPtr source)
{
    const auto* from = source.As<CPAnimatedObject>();
    if (!from || from == this)
        return;
    for (const auto& entry : from->m_animations)
        m_animations[entry.first] = entry.second;
    m_animation = from->m_animation;
    m_animationRef = from->m_animationRef;
    m_startTime = from->m_startTime;
    m_loopLimit = from->m_loopLimit;
    m_loopsDone = from->m_loopsDone;
    m_reportedFrame = from->m_reportedFrame;
    m_reportFrame = from->m_reportFrame;
    m_speed = from->m_speed;
    m_listener = from->m_listener;
    m_currentFrame = from->m_currentFrame;
    m_stopped = from->m_stopped;
    m_name = from->m_name;
    m_material = from->m_material;
    m_hasEffects = from->m_hasEffects;
    m_effects = from->m_effects;
}

// --- Choosing the frame ------------------------------------------------------

float CPAnimatedObject::ElapsedAt(double gameTime) const
{
    return static_cast<float>((gameTime - m_startTime) * m_speed);
}

const CPAnimationFrame* CPAnimatedObject::FrameAt(int index) const
{
    if (!m_animation || index < 0)
        return nullptr;
    const auto& frames = m_animation->GetFrames();
    if (frames.empty())
        return nullptr;
    // A reload may have left fewer frames than the index was taken from.
    return &frames[std::min<std::size_t>(static_cast<std::size_t>(index), frames.size() - 1)];
}

int CPAnimatedObject::PredictFrame(float elapsed, bool* stops) const
{
    if (stops)
        *stops = false;
    if (!m_animation)
        return -1;
    if (m_stopped)
        return m_currentFrame;
    const int chosen = m_animation->ChooseFrame(elapsed);
    if (chosen < 0)
        return -1;
    const bool wraps = m_currentFrame >= 0 && m_currentFrame > chosen;
    if (wraps && m_loopLimit > 0 && m_loopsDone + 1 >= m_loopLimit) {
        if (stops)
            *stops = true;
        return RestingFrame(*m_animation);
    }
    return chosen;
}

int CPAnimatedObject::GetVertexCount()
{
    const CPAnimationFrame* frame = FrameAt(PredictFrame(ElapsedAt(GetGameClock().gameTime), nullptr));
    return frame ? static_cast<int>(frame->vertices.size()) : 0;
}

int CPAnimatedObject::GetIndexCount()
{
    const CPAnimationFrame* frame = FrameAt(PredictFrame(ElapsedAt(GetGameClock().gameTime), nullptr));
    return frame ? static_cast<int>(frame->indices.size()) : 0;
}

void CPAnimatedObject::Notify(const char* command) const
{
    CPObjectRegistry* registry = GetObjectRegistry();
    if (!registry || !m_listener)
        return;
    registry->SendCommandByObject(m_listener, command, FormatObjectHandle(m_listener.Get()));
}

// --- Writing -----------------------------------------------------------------

void CPAnimatedObject::WriteVertices(CPMeshVertex* vertices, std::uint16_t* indices, std::uint16_t base, int)
{
    if (!m_animation)
        return;
    if (!m_stopped) {
        const int chosen = m_animation->ChooseFrame(ElapsedAt(GetGameClock().gameTime));
        if (chosen < 0)
            return;
        if (m_currentFrame >= 0 && m_currentFrame > chosen) {
            // A new pass began.
            m_reportedFrame = -1;
            ++m_loopsDone;
            if (m_loopLimit > 0 && m_loopsDone >= m_loopLimit) {
                m_stopped = true;
                m_currentFrame = RestingFrame(*m_animation);
                Notify("animation_stopped");
                if (m_owner)
                    m_owner->ChooseEnemyAttack();
                m_name.clear();
            }
        }
        if (!m_stopped)
            m_currentFrame = chosen;

        const int chosenNumber = m_animation->GetFrames()[chosen].frameNumber;
        if (m_reportFrame >= 0 && m_reportedFrame < 0 && chosenNumber >= m_reportFrame) {
            m_reportedFrame = chosenNumber;
            Notify("animation_report");
            if (m_owner)
                m_owner->HandleEnemyHit();
        }
    }
    if (const CPAnimationFrame* frame = FrameAt(m_currentFrame))
        WriteFrame(*frame, vertices, indices, base);
}

void CPAnimatedObject::WriteFrame(const CPAnimationFrame& frame, CPMeshVertex* vertices,
                                  std::uint16_t* indices, std::uint16_t base)
{
    const Matrix4 world = m_owner ? m_owner->GetWorldMatrix() : IdentityMatrix();
    const int vertexCount = static_cast<int>(frame.vertices.size());
    for (int i = 0; i < vertexCount; ++i) {
        const CPMeshVertex& in = frame.vertices[i];
        CPMeshVertex& out = vertices[i];
        out = in;
        out.position = TransformPoint(in.position, world);
        out.normal = TransformNormal(in.normal, world);
    }
    if (m_hasEffects)
        m_effects.Apply(vertices, vertices, vertexCount);

    const std::size_t indexCount = frame.indices.size();
    for (std::size_t i = 0; i < indexCount; ++i)
        indices[i] = static_cast<std::uint16_t>(frame.indices[i] + base);
    if (IsMirrorMatrix(world)) {
        // Keeps the triangles facing the camera under a mirroring owner.
        for (std::size_t i = 0; i + 2 < indexCount; i += 3)
            std::swap(indices[i + 1], indices[i + 2]);
    }
}
