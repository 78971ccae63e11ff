#include "ops/worker_connections.h"

#include "ops/object_ref.h"

namespace ops {

std::size_t workersFor(const cad::Connection& connection, std::size_t requested) {
    const bool servesWorkers = connection.AcadApp && connection.AcadApp->servesWorkers();
    return servesWorkers ? requested : 1;
}

cad::Connection workerConnection(const cad::Connection& connection) {
    const std::shared_ptr<cad::Application> own = deref(connection.AcadApp).independentInstance();
    return {own, deref(own).activeDocument()};
}

}  // namespace ops
