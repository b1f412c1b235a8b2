#pragma once
// Helpers for the program's hand-made singly linked lists. Every list owns its
// nodes through std::unique_ptr links; releasing a long chain by letting the
// pointers destroy each other would recurse once per node and overflow the
// stack on a decade of data, so chains are always released front to back here.

#include <memory>
#include <utility>

// Releases every node of the chain starting at head, iteratively. Afterwards
// head is empty.
template <typename Node> void releaseChain(std::unique_ptr<Node>& head) {
    while (head) {
        std::unique_ptr<Node> next = std::move(head->next);
        head = std::move(next);
    }
}

// Releases every real element (a node whose Next is set) before the end node and
// makes the end node the new head. The end node survives unchanged.
template <typename Node> void releaseBeforeEnd(std::unique_ptr<Node>& head) {
    while (head && head->next) {
        std::unique_ptr<Node> next = std::move(head->next);
        head = std::move(next);
    }
}
