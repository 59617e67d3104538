#include "script/StepBudget.h"

namespace stepbudget {

namespace {

// How many instructions run between two looks at the budget.
constexpr int kCheckEvery = 1000;

// The registry key under which the state keeps its budget.
const char kBudgetKey = 0;

} // namespace

struct Budget {
    long long limit = 0;
    long long used = 0;
};

Budget* Find(lua_State* L)
{
    lua_pushlightuserdata(L, const_cast<char*>(&kBudgetKey));
    lua_rawget(L, LUA_REGISTRYINDEX);
    auto* budget = static_cast<Budget*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    return budget;
}

namespace {

void OnCount(lua_State* L, lua_Debug*)
{
    Budget* budget = Find(L);
    if (!budget)
        return;
    budget->used += lua_gethookcount(L);
    if (budget->used <= budget->limit) {
        if (lua_gethookcount(L) != kCheckEvery)
            lua_sethook(L, OnCount, LUA_MASKCOUNT, kCheckEvery);
        return;
    }
    // From here every instruction fails, so that a pcall in the script
    // cannot catch the error and loop on: the next instruction after it
    // fails again, up to the run's own end.
    lua_sethook(L, OnCount, LUA_MASKCOUNT, 1);
    luaL_error(L, "ran more than %d instructions in one go and was stopped", static_cast<int>(budget->limit));
}

} // namespace

void Install(lua_State* L, long long instructions)
{
    Budget* budget = Find(L);
    if (!budget) {
        // The budget is the state's own: it goes when the state closes.
        lua_pushlightuserdata(L, const_cast<char*>(&kBudgetKey));
        budget = static_cast<Budget*>(lua_newuserdata(L, sizeof(Budget)));
        lua_rawset(L, LUA_REGISTRYINDEX);
    }
    *budget = Budget{instructions, 0};
    // Coroutines made later take the hook with them.
    lua_sethook(L, OnCount, LUA_MASKCOUNT, kCheckEvery);
}

void Renew(lua_State* L) { Renew(L, Find(L)); }

void Renew(lua_State* L, Budget* budget)
{
    if (!budget)
        return;
    budget->used = 0;
    // Also restarts the count, so the run is charged from its first instruction.
    lua_sethook(L, OnCount, LUA_MASKCOUNT, kCheckEvery);
}

} // namespace stepbudget
