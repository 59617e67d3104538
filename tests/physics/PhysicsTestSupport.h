#pragma once

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/Log.h"
#include "physics/Simulator.h"

namespace phtest {

// Messages the simulator delivered to CaptureMessage.
inline std::vector<std::string>& Messages()
{
    static std::vector<std::string> messages;
    return messages;
}

inline void CaptureMessage(const char* message) { Messages().push_back(message); }

struct SimulatorDeleter {
    void operator()(PhSimulator* simulator) const { PhDestroySimulator(simulator); }
};
using SimulatorPtr = std::unique_ptr<PhSimulator, SimulatorDeleter>;

// A simulator whose messages are captured (level 1).
inline SimulatorPtr MakeSimulator(const PhSizeInfo& sizes = PhSizeInfo(), const Vector4* gravity = nullptr,
                                  PhAllocator* allocator = nullptr)
{
    Messages().clear();
    SimulatorPtr simulator(PhCreateSimulator(sizes, allocator, gravity));
    if (simulator)
        simulator->SetLogCallback(CaptureMessage, 1);
    return simulator;
}

// Points the program's log at a fresh temporary file for one test.
class ScopedLogFile {
  public:
    ScopedLogFile()
    {
        m_previous = GetLogFilePath();
        m_path = ::testing::TempDir() + "physics_log_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
        std::remove(m_path.c_str());
        SetLogFilePath(m_path);
    }
    ~ScopedLogFile()
    {
        SetLogFilePath(m_previous);
        std::remove(m_path.c_str());
    }
    std::string Read() const
    {
        GetLogStream().flush();
        std::ifstream in(m_path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

  private:
    std::string m_previous;
    std::string m_path;
};

inline Vector4 V(float x, float y, float z, float w = 0.0f) { return Vector4{x, y, z, w}; }

inline Vector4 RowOf(const Matrix4& m, int row)
{
    return Vector4{m.m[row][0], m.m[row][1], m.m[row][2], m.m[row][3]};
}

} // namespace phtest

#define EXPECT_VEC3_NEAR(actual, ex, ey, ez, tolerance)                                                      \
    do {                                                                                                     \
        const Vector4 phtest_v = (actual);                                                                   \
        EXPECT_NEAR(phtest_v.x, (ex), (tolerance));                                                          \
        EXPECT_NEAR(phtest_v.y, (ey), (tolerance));                                                          \
        EXPECT_NEAR(phtest_v.z, (ez), (tolerance));                                                          \
    } while (0)
