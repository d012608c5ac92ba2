// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/emptyplugin.h"

#include "platform/com/object.h"

namespace {

class EmptyPlugin : public com::ComObject<com::Dual<vexo::IVexoPlugin>> {
public:
    com::HRESULT NIMBO_COM_CALL Disable(com::VARIANT_BOOL*) override { return com::S_OK; }
    com::HRESULT NIMBO_COM_CALL Enable(com::VARIANT_BOOL*) override { return com::S_OK; }
    com::HRESULT NIMBO_COM_CALL Configure(com::VARIANT_BOOL*) override { return com::S_OK; }
    com::HRESULT NIMBO_COM_CALL Init(com::BSTR, com::BSTR, vexo::IVexoPluginHelper**,
                                     com::VARIANT_BOOL*) override {
        return com::S_OK;
    }
    com::HRESULT NIMBO_COM_CALL MessageHandle(int32_t*, int32_t*, int32_t*, int32_t* result) override {
        *result = 0;
        return com::S_OK;
    }
    com::HRESULT NIMBO_COM_CALL get_PluginName(com::BSTR*) override { return com::S_OK; }
    com::HRESULT NIMBO_COM_CALL Term(com::VARIANT_BOOL*) override { return com::S_OK; }
};

}  // namespace

com::ComPtr<vexo::IVexoPlugin> makeEmptyPlugin() {
    return com::makeObject<EmptyPlugin>();
}
