#pragma once

// A service that the program has exactly one of, and that a test can put a
// stand-in in place of (a person answering boxes, a drive whose medium is
// out). Service derives from ReplaceableService<Service> and gives a static
// real() with the program's own implementation.
template <typename Service>
class ReplaceableService {
public:
    virtual ~ReplaceableService() = default;

    // The stand-in when one is in place, else the real service.
    static Service& current() { return replacement() ? *replacement() : Service::real(); }
    // Puts service in place of the real one; nullptr restores the real one.
    static void replace(Service* service) { replacement() = service; }

private:
    static Service*& replacement() {
        static Service* service = nullptr;
        return service;
    }
};
