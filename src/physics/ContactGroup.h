#pragma once

struct PhBody;

// Bodies that touch one another, formed by the stepping. Setting a
// member's velocity or angular momentum wakes every dynamic member. A body
// belongs to at most one group.
struct PhContactGroup {
    PhBody* first = nullptr;
    int count = 0;

    // Moves the body into this group (out of the one it was in).
    void Add(PhBody* body);
    // Takes the body out of this group; nothing when it is not a member.
    void Remove(PhBody* body);
    // Takes every member out.
    void Clear();
};
