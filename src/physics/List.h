#pragma once

// Doubly linked list threaded through the records themselves: T carries
// `next` and `prev` pointers. A record is on one list at a time (its pool's
// free list, or the list of its owner), so the two lists share the links.
template <typename T> struct PhList {
    T* head = nullptr;
    T* tail = nullptr;
    int count = 0;

    void Append(T* item)
    {
        item->next = nullptr;
        item->prev = tail;
        if (tail)
            tail->next = item;
        else
            head = item;
        tail = item;
        ++count;
    }

    // The item must be on this list.
    void Unlink(T* item)
    {
        if (item->prev)
            item->prev->next = item->next;
        else
            head = item->next;
        if (item->next)
            item->next->prev = item->prev;
        else
            tail = item->prev;
        item->next = nullptr;
        item->prev = nullptr;
        --count;
    }
};
