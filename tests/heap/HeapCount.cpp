#include "HeapCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include <LinearMath/btAlignedAllocator.h>
#include <lua.hpp>

namespace {

std::atomic<std::int64_t> g_engine{0};
std::atomic<std::int64_t> g_physics{0};
std::atomic<std::int64_t> g_script{0};
std::atomic<std::int64_t> g_apart{0};

void* Allocate(std::size_t size)
{
    g_engine.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}

void* AllocateAligned(std::size_t size, std::size_t alignment)
{
    g_engine.fetch_add(1, std::memory_order_relaxed);
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
    return std::aligned_alloc(alignment, rounded == 0 ? alignment : rounded);
}

// The physics library's blocks: its aligned allocator takes plain blocks
// from these.
void* PhysicsAllocate(std::size_t size)
{
    g_physics.fetch_add(1, std::memory_order_relaxed);
    return Allocate(size);
}
void PhysicsFree(void* block) { std::free(block); }

// Installed before main, so that every block the physics library takes is
// counted.
const bool g_physicsCounted = [] {
    btAlignedAllocSetCustom(PhysicsAllocate, PhysicsFree);
    return true;
}();

// The allocator the counted script states had; all states share it.
lua_Alloc g_scriptAlloc = nullptr;
void* g_scriptAllocData = nullptr;

void* CountingScriptAlloc(void* /*ud*/, void* block, std::size_t oldSize, std::size_t newSize)
{
    if (newSize > 0 && (!block || newSize > oldSize))
        g_script.fetch_add(1, std::memory_order_relaxed);
    return g_scriptAlloc(g_scriptAllocData, block, oldSize, newSize);
}

// Calls the function of its upvalue with its own arguments and returns
// all it returns, counting the engine allocations made meanwhile. An error
// raised inside goes on to the caller; that call is then not counted apart.
int CountedApart(lua_State* L)
{
    const std::int64_t before = g_engine.load(std::memory_order_relaxed);
    const int arguments = lua_gettop(L);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, arguments, LUA_MULTRET);
    g_apart.fetch_add(g_engine.load(std::memory_order_relaxed) - before, std::memory_order_relaxed);
    return lua_gettop(L);
}

} // namespace

void* operator new(std::size_t size)
{
    if (void* memory = Allocate(size))
        return memory;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    if (void* memory = AllocateAligned(size, static_cast<std::size_t>(alignment)))
        return memory;
    throw std::bad_alloc();
}
// The nothrow forms too: left to the library (or a sanitizer's own
// allocator), their blocks would come back through the delete below.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateAligned(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }

namespace heapcount {

std::int64_t EngineAllocations()
{
    (void)g_physicsCounted;
    return g_engine.load(std::memory_order_relaxed);
}

std::int64_t PhysicsLibraryAllocations() { return g_physics.load(std::memory_order_relaxed); }

std::int64_t ScriptAllocations() { return g_script.load(std::memory_order_relaxed); }

bool CountScriptAllocations(lua_State* L)
{
    void* data = nullptr;
    const lua_Alloc current = lua_getallocf(L, &data);
    if (current == CountingScriptAlloc)
        return true;
    if (g_scriptAlloc && (current != g_scriptAlloc || data != g_scriptAllocData))
        return false;
    g_scriptAlloc = current;
    g_scriptAllocData = data;
    lua_setallocf(L, CountingScriptAlloc, nullptr);
    return true;
}

bool CountCallsApart(lua_State* L, const char* name)
{
    lua_getglobal(L, name);
    if (!lua_isfunction(L, -1)) {
        lua_pop(L, 1);
        return false;
    }
    // Counted apart already: a second wrapper would count its calls twice.
    if (lua_tocfunction(L, -1) == CountedApart) {
        lua_pop(L, 1);
        return true;
    }
    lua_pushcclosure(L, CountedApart, 1);
    lua_setglobal(L, name);
    return true;
}

std::int64_t CallsApartAllocations() { return g_apart.load(std::memory_order_relaxed); }

} // namespace heapcount
