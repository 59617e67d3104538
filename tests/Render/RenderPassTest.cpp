#include "Render/RenderPass.h"

#include <gtest/gtest.h>

#include "Render/BaseCamera.h"
#include "Render/PRender.h"

namespace {

// Counts the references taken and let go, which the use counter itself
// does not keep (Release zeroes it).
struct CountingCamera : CPBaseCamera {
    void AddRef() override
    {
        ++held;
        CPBaseCamera::AddRef();
    }
    void Release() override
    {
        --held;
        CPBaseCamera::Release();
    }
    int held = 0;
};

} // namespace

TEST(RenderPass, TheTableHoldsOneReferenceToEachInstalledCamera)
{
    CountingCamera first;
    CountingCamera second;
    {
        CPRender render(nullptr);
        render.SetCamera(120, &first);
        EXPECT_EQ(first.held, 1);
        render.SetCamera(120, &second);
        EXPECT_EQ(first.held, 0); // replaced: released
        EXPECT_EQ(second.held, 1);
        render.SetCamera(16, &second);
        EXPECT_EQ(second.held, 2);

        CPRenderPass copy(render.GetPasses().at(16));
        EXPECT_EQ(second.held, 3);
    }
    EXPECT_EQ(second.held, 0); // the table let go of everything
}

TEST(RenderPass, SetCameraKeepsOneRecordPerPassAndHoldsOnlyTheLastCamera)
{
    // The cameras outlive the table that refers to them.
    CPBaseCamera first;
    CPBaseCamera second;
    CPRender render(nullptr);
    render.SetCamera(195, &first);
    render.SetCamera(195, &second);
    render.SetCamera(19, &first);

    const auto& passes = render.GetPasses();
    ASSERT_EQ(passes.size(), 2u);
    std::vector<int> order;
    for (const auto& entry : passes)
        order.push_back(entry.first);
    EXPECT_EQ(order, (std::vector<int>{19, 195}));

    const CPRenderPass& screen = passes.at(195);
    EXPECT_EQ(screen.GetChangeCount(), 2);
    EXPECT_EQ(screen.GetPassNumber(), 195);
    EXPECT_EQ(screen.GetCamera().Get(), &second);
    EXPECT_FALSE(screen.HasMatrix());
}

TEST(RenderPass, AFixedMatrixSurvivesALaterCamera)
{
    CPBaseCamera camera;
    CPRender render(nullptr);
    Matrix4 shadow;
    shadow.m[0][0] = 2.0f;
    shadow.m[3][3] = 1.0f;
    CPRenderPass& record = render.SetPassMatrix(shadow, 16);
    EXPECT_TRUE(record.HasMatrix());
    EXPECT_EQ(record.GetChangeCount(), 1);

    render.SetCamera(16, &camera);
    const CPRenderPass& pass = render.GetPasses().at(16);
    EXPECT_TRUE(pass.HasMatrix());
    EXPECT_EQ(pass.GetMatrix().m[0][0], 2.0f);
    EXPECT_EQ(pass.GetChangeCount(), 2);
    EXPECT_EQ(pass.GetPassNumber(), 16);
    EXPECT_EQ(&record, &pass); // the map keeps records in place
}

TEST(RenderPass, CopiesTakeTheirOwnReferencesAndCountInstances)
{
    const CPRecordStatistics before = CPRenderPass::GetStatistics();
    CPBaseCamera camera;
    {
        CPRenderPass pass;
        pass.SetCamera(120, &camera);
        CPDrawGroup group(&camera);
        group.GetEntries().emplace(&camera, CPDrawEntry(&camera, &camera));
        pass.GetGroups().emplace(&camera, group);

        CPRenderPass copy(pass);
        EXPECT_EQ(copy.GetChangeCount(), 1);
        EXPECT_EQ(copy.GetCamera().Get(), &camera);
        CPDrawGroup& copied = copy.GetGroups().at(&camera);
        EXPECT_EQ(copied.GetObject().Get(), &camera);
        EXPECT_EQ(copied.GetEntries().at(&camera).GetSecond().Get(), &camera);
        EXPECT_EQ(CPRenderPass::GetStatistics().live, before.live + 2);
        EXPECT_EQ(CPRenderPass::GetStatistics().constructed, before.constructed + 2);
    }
    EXPECT_EQ(CPRenderPass::GetStatistics().live, before.live);
    EXPECT_EQ(CPRenderPass::GetStatistics().destroyed, before.destroyed + 2);
}
