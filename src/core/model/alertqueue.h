#pragma once

#include "model/alertrecord.h"

// Where a shown alert goes to be played: the chat builder knows only this of the queue.
class AlertQueue {
public:
    virtual ~AlertQueue() = default;
    virtual void enqueue(const AlertRecord &record) = 0;
};
