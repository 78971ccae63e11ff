#pragma once

#include <cstddef>
#include <functional>

#include "cad/startup.h"
#include "ops/ordered_workers.h"

namespace ops {

// How many of `requested` workers a batch on `connection` gets: all of them where the application
// serves several drawings at once (the built-in engine), one where it serves one call at a time.
std::size_t workersFor(const cad::Connection& connection, std::size_t requested);

// A connection of a worker's own: a further instance of the application, with its document.
cad::Connection workerConnection(const cad::Connection& connection);

// runInOrder() over the drawings of a batch: each worker does its jobs on a connection of its own
// where the application serves several (workersFor()); otherwise every job runs in turn on the
// calling thread, with `connection` itself.
template <typename Result>
void runOnConnections(const cad::Connection& connection, std::size_t count, std::size_t workers,
                      const std::function<Result(const cad::Connection&, std::size_t)>& job,
                      const std::function<bool(std::size_t, Result&)>& deliver) {
    const std::size_t threads = count > 1 ? workersFor(connection, workers) : 1;
    runInOrder<Result>(
        count, threads,
        [&]() -> std::function<Result(std::size_t)> {
            const cad::Connection own = threads > 1 ? workerConnection(connection) : connection;
            return [own, &job](std::size_t index) { return job(own, index); };
        },
        deliver);
}

}  // namespace ops
