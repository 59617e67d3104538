// The game host's frame: its order, its end, and the scene it draws.
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"
#include "support/ToolPath.h"

#include "Render/PRender.h"
#include "Render/RenderObjectLoader.h"
#include "app/GameHost.h"
#include "core/GameObject.h"
#include "core/Task.h"
#include "core/TaskPriorities.h"
#include "interface/InputManager.h"
#include "platform/Dialog.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/HeadlessInputDevice.h"

namespace {

GameHost* g_host = nullptr;

// "name: presents, draws" of the host at this moment.
std::string Moment(const std::string& name)
{
    return name + ": presents " + std::to_string(g_host->GetHeadlessDevice()->GetPresentCount()) +
           ", draws " + std::to_string(g_host->GetDrawCount());
}

// A task that writes a line each step and runs an action of the test's.
class Recorder : public CPTask {
  public:
    Recorder(std::string name, int priority, std::vector<std::string>& journal,
             std::function<void(int step)> action = nullptr)
        : m_name(std::move(name)), m_journal(journal), m_action(std::move(action))
    {
        SetPriority(priority);
    }
    std::uint32_t GetObjectSize() const override { return sizeof(Recorder); }
    std::string GetTypeName() const override { return "Recorder"; }
    int GetTaskType() const override { return 0; }
    void Step() override
    {
        m_journal.push_back(Moment(m_name));
        if (m_action)
            m_action(++m_steps);
    }

  private:
    std::string m_name;
    std::vector<std::string>& m_journal;
    std::function<void(int)> m_action;
    int m_steps = 0;
};

// Writes a line when the deferred deletes reach it.
class Doomed : public CPObject {
  public:
    explicit Doomed(std::vector<std::string>& journal) : m_journal(journal) {}
    ~Doomed() override { m_journal.push_back(Moment("deleted")); }
    std::uint32_t GetObjectSize() const override { return sizeof(Doomed); }
    std::string GetTypeName() const override { return "Doomed"; }

  private:
    std::vector<std::string>& m_journal;
};

class Host : public ::testing::Test {
  protected:
    void Start(int frames)
    {
        GameHost::Options options;
        options.frames = frames;
        options.dataRoot = data.GetPath();
        host = std::make_unique<GameHost>(options);
        g_host = host.get();
    }
    void Add(CPTask& task)
    {
        CPObjectPtr pointer(&task);
        ASSERT_TRUE(host->GetKernel().AddTask(pointer));
    }
    ~Host() override
    {
        host.reset();
        g_host = nullptr;
        platform::ClearPostedQuit();
    }

    ScratchFolder data;
    std::vector<std::string> journal;
    // Tasks the test makes must outlive the host, which lets go of them.
    std::vector<std::unique_ptr<Recorder>> tasks;
    std::unique_ptr<GameHost> host;
};

} // namespace

TEST_F(Host, AFrameReadsInputStepsTasksByPriorityDrawsPresentsThenDeletes)
{
    Start(2);
    host->GetHeadlessInput()->MoveMouseTo(100.0f, 50.0f);
    // Added out of order; each draws one debug line a frame, and the first
    // to step queues an object for deletion.
    const auto drawLine = [](int) { GetRender()->AddDebugLine(0xFFFFFFFFu, {10, 0, 0}, {10, 1, 0}); };
    tasks.push_back(std::make_unique<Recorder>("default", taskpriority::kDefault, journal));
    tasks.push_back(std::make_unique<Recorder>("race", taskpriority::kRaceProgress, journal, drawLine));
    tasks.push_back(std::make_unique<Recorder>("physics", taskpriority::kPhysicsWorld, journal));
    tasks.push_back(std::make_unique<Recorder>("ai", taskpriority::kAIManager, journal, [this](int step) {
        journal.push_back("mouse " + std::to_string(static_cast<int>(GetInputManager()->GetMouseX())));
        if (step == 1) {
            EXPECT_TRUE(QueueObjectForDelete(new Doomed(journal)));
        }
    }));
    for (auto& task : tasks)
        Add(*task);

    EXPECT_EQ(host->Run(), 2);
    EXPECT_EQ(journal, (std::vector<std::string>{
                           "ai: presents 0, draws 0", "mouse 100", "physics: presents 0, draws 0",
                           "race: presents 0, draws 0", "default: presents 0, draws 0",
                           "deleted: presents 1, draws 1", // once the frame that used it is drawn
                           "ai: presents 1, draws 1", "mouse 100", "physics: presents 1, draws 1",
                           "race: presents 1, draws 1", "default: presents 1, draws 1"}));
    EXPECT_EQ(host->GetHeadlessDevice()->GetPresentCount(), 2u);
    EXPECT_TRUE(GetDeferredDeleteList().empty());
}

TEST_F(Host, AQuitPostedDuringAFrameEndsTheRunAfterThatFrame)
{
    Start(10);
    tasks.push_back(std::make_unique<Recorder>("quitter", taskpriority::kDefault, journal, [](int step) {
        if (step == 3)
            platform::PostQuit(0);
    }));
    Add(*tasks.back());
    EXPECT_EQ(host->Run(), 3);
    EXPECT_EQ(host->GetHeadlessDevice()->GetPresentCount(), 3u); // the asking frame is drawn
    EXPECT_EQ(journal.size(), 3u);

    // The next host starts afresh; the host's own Quit works the same way.
    host.reset();
    Start(10);
    EXPECT_EQ(host->Run(), 10);
    host->Quit();
    EXPECT_EQ(host->Run(), 0);
}

TEST_F(Host, AStaticSceneLoadedWithoutALevelIsDrawn)
{
    const std::string builder = ToolPath("rsmesh");
    if (builder.empty())
        GTEST_SKIP() << "rsmesh is not built";
    data.Write("quad.txt", "layout plain\n"
                           "node Quad\n"
                           "  vertex 10 -1 -1\n  vertex 10 1 -1\n  vertex 10 1 1\n  vertex 10 -1 1\n"
                           "  triangle 0 1 2\n  triangle 0 2 3\n"
                           "end\n");
    data.Write("Data/Meshes/placeholder", "");
    const std::string command = "\"" + builder + "\" \"" + data.Path("quad.txt") + "\" \"" +
                                data.Path("Data/Meshes/quad.msh") + "\" \"" +
                                data.Path("Data/Meshes/quad.rdf") + "\" > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);

    Start(1);
    auto* quad = GetRenderObjectLoader()->LoadRenderObject("quad.rdf", 0).As<CPGameObject>();
    ASSERT_NE(quad, nullptr);
    GetRender()->SetDefaultCamera(); // looks along +x at the quad
    EXPECT_EQ(host->Run(), 1);

    const auto& draws = host->GetHeadlessDevice()->GetLastFrameDraws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].kind, platform::DrawRecord::Kind::IndexedPrimitive);
    EXPECT_EQ(draws[0].primitiveCount, 2u);
    EXPECT_EQ(draws[0].vertexBuffer, GetRender()->FindStaticMesh("quad.mshquad")->vertexBuffer);
    CPGameObject::DeleteTree(quad);
}

TEST_F(Host, HeardSoundThatCannotOpenFallsBackToTheHeadlessSoundWithALogLine)
{
    // No output driver of that name exists, so no device opens.
    ::setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
    GameHost::Options options;
    options.frames = 2;
    options.dataRoot = data.GetPath();
    options.sound = true;
    host = std::make_unique<GameHost>(options);
    g_host = host.get();
    EXPECT_EQ(host->Run(), 2);
    EXPECT_NE(data.Read("log.txt").find("No sound can be heard ("), std::string::npos);
    ::unsetenv("ALSOFT_DRIVERS");
}
