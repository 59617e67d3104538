#include "Render/DeviceListener.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Listener : CPDeviceListener {
    explicit Listener(std::string name, std::vector<std::string>* events = nullptr)
        : name(std::move(name)), events(events)
    {
    }
    void OnLostDevice() override
    {
        if (events)
            events->push_back(name + " lost");
    }
    void OnResetDevice() override
    {
        if (events)
            events->push_back(name + " reset");
    }
    std::string name;
    std::vector<std::string>* events;
};

std::vector<std::string> LiveNames()
{
    std::vector<std::string> names;
    for (CPDeviceListener* listener : GetDeviceListeners())
        names.push_back(static_cast<Listener*>(listener)->name);
    return names;
}

} // namespace

TEST(DeviceListener, TheListHoldsTheLiveOnesInConstructionOrder)
{
    using Names = std::vector<std::string>;
    ASSERT_TRUE(GetDeviceListeners().empty());
    // Each row destroys the listeners of the given positions, in that order.
    const std::vector<std::vector<int>> orders = {{0, 1, 2, 3}, {3, 2, 1, 0}, {1, 3}, {2, 0, 3}};
    for (const auto& order : orders) {
        std::unique_ptr<Listener> listeners[4];
        for (int i = 0; i < 4; ++i)
            listeners[i] = std::make_unique<Listener>(std::string(1, static_cast<char>('a' + i)));
        EXPECT_EQ(LiveNames(), (Names{"a", "b", "c", "d"}));
        Names expected = {"a", "b", "c", "d"};
        for (int position : order) {
            listeners[position].reset();
            expected.erase(std::find(expected.begin(), expected.end(),
                                     std::string(1, static_cast<char>('a' + position))));
            EXPECT_EQ(LiveNames(), expected);
        }
    }
}

TEST(DeviceListener, ACopyTakesItsOwnPlaceAndTheWalkSkipsTheDestroyed)
{
    std::vector<std::string> events;
    Listener first("first", &events);
    auto second = std::make_unique<Listener>("second", &events);
    {
        Listener copy(first);
        copy.name = "copy";
        EXPECT_EQ(GetDeviceListeners().size(), 3u);
        NotifyDeviceLost();
    }
    EXPECT_EQ(GetDeviceListeners().size(), 2u); // the copy left only its own entry

    // A listener that destroys a later one while the walk is under way.
    struct Killer : Listener {
        using Listener::Listener;
        void OnResetDevice() override
        {
            Listener::OnResetDevice();
            victim->reset();
        }
        std::unique_ptr<Listener>* victim = nullptr;
    };
    Killer killer("killer", &events);
    killer.victim = &second;
    // Order is first, second, killer: second is told before it goes.
    NotifyDeviceReset();
    EXPECT_EQ(events, (std::vector<std::string>{"first lost", "second lost", "copy lost", "first reset",
                                                "second reset", "killer reset"}));
    EXPECT_EQ(GetDeviceListeners().size(), 2u);
}
