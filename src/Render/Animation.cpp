#include "Render/Animation.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "Render/AnimationCache.h"
#include "core/FileReader.h"
#include "core/Log.h"
#include "platform/VectorMath.h"

namespace {

const float kRateToSeconds = 0.00041666668f; // 1 / 2400
const std::uint32_t kCountSize = 4;          // an int32 count
const std::uint32_t kVertexSize = sizeof(CPMeshVertex);
const std::uint32_t kIndexSize = sizeof(std::uint16_t);

// Where the running box starts: far outside any mesh, and lopsided in y,
// as the stored bounds of existing data expect.
const Vector3 kStartMinimum{5000000.0f, 5000000.0f, 5000000.0f};
const Vector3 kStartMaximum{-500000.0f, -5000000.0f, -500000.0f};

// Reads the block frame by frame, checking each count against the bytes
// left before it is believed. Frames are kept only when `frames` is given.
class BlockReader {
  public:
    BlockReader(CPFileReader& reader, const std::string& animation) : m_reader(reader), m_animation(animation)
    {
    }

    bool ReadHeader(std::int32_t& frameCount, float& rate)
    {
        if (!HasBytes(2 * kCountSize, "its header"))
            return false;
        frameCount = m_reader.ReadInt();
        rate = m_reader.ReadFloat();
        if (frameCount < 0)
            return Fail("a negative frame count (" + std::to_string(frameCount) + ")");
        // Every frame holds at least its two counts.
        if (static_cast<std::uint64_t>(frameCount) * 2 * kCountSize > m_reader.GetRemaining())
            return Fail(std::to_string(frameCount) + " frames, more than the " +
                        std::to_string(m_reader.GetRemaining()) + " bytes left can hold");
        if (!std::isfinite(rate))
            return Fail("a frame rate that is not a number");
        return true;
    }

    bool ReadFrame(int k, CPAnimationFrame* frame)
    {
        std::int32_t vertexCount = 0;
        if (!ReadCount(k, "vertex", kVertexSize, vertexCount))
            return false;
        if (frame) {
            frame->vertices.resize(vertexCount);
            m_reader.ReadBytes(frame->vertices.data(), std::size_t(vertexCount) * kVertexSize);
        } else {
            Skip(std::size_t(vertexCount) * kVertexSize);
        }

        std::int32_t indexCount = 0;
        if (!ReadCount(k, "index", kIndexSize, indexCount))
            return false;
        if (frame) {
            frame->indices.resize(indexCount);
            m_reader.ReadBytes(frame->indices.data(), std::size_t(indexCount) * kIndexSize);
            for (std::uint16_t index : frame->indices) {
                if (index >= frame->vertices.size())
                    return Fail("frame " + std::to_string(k) + " has index " + std::to_string(index) +
                                " past its " + std::to_string(frame->vertices.size()) + " vertices");
            }
        } else {
            Skip(std::size_t(indexCount) * kIndexSize);
        }
        return !m_reader.HasReadError() || Fail("a read past the end of the data");
    }

  private:
    bool ReadCount(int k, const char* what, std::uint32_t itemSize, std::int32_t& count)
    {
        if (!HasBytes(kCountSize, "frame " + std::to_string(k) + "'s " + what + " count"))
            return false;
        count = m_reader.ReadInt();
        if (count < 0)
            return Fail("frame " + std::to_string(k) + " has a negative " + what + " count (" +
                        std::to_string(count) + ")");
        const std::uint64_t bytes = static_cast<std::uint64_t>(count) * itemSize;
        if (bytes > m_reader.GetRemaining())
            return Fail("frame " + std::to_string(k) + "'s " + what + " count " + std::to_string(count) +
                        " needs " + std::to_string(bytes) + " bytes, " +
                        std::to_string(m_reader.GetRemaining()) + " left");
        return true;
    }

    bool HasBytes(std::uint32_t bytes, const std::string& what)
    {
        if (m_reader.GetRemaining() >= bytes)
            return true;
        return Fail("the data ends inside " + what);
    }

    void Skip(std::size_t bytes)
    {
        std::uint8_t scratch[256];
        while (bytes > 0) {
            const std::size_t step = bytes < sizeof(scratch) ? bytes : sizeof(scratch);
            m_reader.ReadBytes(scratch, step);
            bytes -= step;
        }
    }

    bool Fail(const std::string& reason)
    {
        LogLine("Animation \"" + m_animation + "\" in \"" + m_reader.GetFileName() +
                "\" not loaded: " + reason);
        return false;
    }

    CPFileReader& m_reader;
    const std::string& m_animation;
};

} // namespace

CPAnimation::CPAnimation(std::string name) : m_name(std::move(name))
{
    if (CPAnimationCache* cache = GetAnimationCache())
        cache->List(m_name, this);
}

CPAnimation::~CPAnimation()
{
    if (CPAnimationCache* cache = GetAnimationCache())
        cache->Unlist(m_name, this);
}

bool CPAnimation::Load(CPFileReader& reader, std::uint32_t vertexColour)
{
    BlockReader block(reader, m_name);
    std::int32_t frameCount = 0;
    float rate = 0.0f;
    if (!block.ReadHeader(frameCount, rate))
        return false;

    if (m_skipData) {
        for (int k = 0; k < frameCount; ++k) {
            if (!block.ReadFrame(k, nullptr))
                return false;
        }
        return true;
    }

    // Built aside, so a block that fails half way leaves the frames the
    // animated objects are showing as they were.
    std::vector<CPAnimationFrame> frames(frameCount);
    Vector3 minimum = kStartMinimum;
    Vector3 maximum = kStartMaximum;
    for (int k = 0; k < frameCount; ++k) {
        CPAnimationFrame& frame = frames[k];
        frame.frameNumber = k;
        if (!block.ReadFrame(k, &frame))
            return false;
        for (CPMeshVertex& vertex : frame.vertices) {
            vertex.diffuse = vertexColour;
            minimum = ComponentMin(minimum, vertex.position);
            maximum = ComponentMax(maximum, vertex.position);
        }
    }

    m_frameCount = frameCount;
    m_frameTime = rate * kRateToSeconds;
    m_duration = static_cast<float>(frameCount) * m_frameTime;
    m_frames = std::move(frames);
    m_bounds = CPBoundingBox((minimum + maximum) * 0.5f, (maximum - minimum) * 0.5f);
    return true;
}

int CPAnimation::ChooseFrame(float elapsed) const
{
    const int count = static_cast<int>(m_frames.size());
    if (count == 0)
        return -1;
    if (!(m_duration > 0.0f) || !(m_frameTime > 0.0f) || !std::isfinite(m_duration))
        return 0;
    // Taking whole passes off one by one never ends for a huge time (the
    // subtraction stops changing it); the remainder is the same value.
    if (elapsed > m_duration) {
        elapsed = std::fmod(elapsed, m_duration);
        if (elapsed == 0.0f)
            elapsed = m_duration;
    }
    const float frame = elapsed / m_frameTime;
    if (!(frame >= 1.0f))
        return 0; // before the start, and not-a-number
    if (frame >= static_cast<float>(count - 1))
        return count - 1;
    return static_cast<int>(frame);
}
