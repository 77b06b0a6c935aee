#pragma once

#include <libssh/callbacks.h>
#include <libssh/libssh.h>

// The libssh functions the client and the channel call.
#define VQ_SSH_FUNCTIONS(F)                                                                                    \
    F(ssh_new) F(ssh_free) F(ssh_options_set) F(ssh_connect) F(ssh_disconnect) F(ssh_is_connected)             \
    F(ssh_get_error) F(ssh_get_fd) F(ssh_get_status) F(ssh_get_poll_flags) F(ssh_set_blocking)                 \
    F(ssh_get_server_publickey) F(ssh_pki_export_pubkey_base64) F(ssh_key_free) F(ssh_string_free_char)        \
    F(ssh_userauth_password) F(ssh_event_new) F(ssh_event_free) F(ssh_event_add_session)                       \
    F(ssh_event_remove_session) F(ssh_event_dopoll) F(ssh_set_channel_callbacks)                               \
    F(ssh_remove_channel_callbacks) F(ssh_channel_new) F(ssh_channel_free) F(ssh_channel_open_forward)         \
    F(ssh_channel_close) F(ssh_channel_is_open) F(ssh_channel_is_closed) F(ssh_channel_is_eof)                 \
    F(ssh_channel_send_eof) F(ssh_channel_write) F(ssh_channel_window_size) F(ssh_channel_read_nonblocking)

// libssh, opened the first time a run needs SSH: a run without it never maps
// the library nor what it brings.
class TScSSHLibrary {
public:
#define VQ_SSH_FUNCTION_POINTER(name) decltype(&::name) name = nullptr;
    VQ_SSH_FUNCTIONS(VQ_SSH_FUNCTION_POINTER)
#undef VQ_SSH_FUNCTION_POINTER

    // Opens the library once per process; raises ESSHError when it cannot be
    // loaded.
    static const TScSSHLibrary& Get();

    static constexpr const char* SoName = "libssh.so.4";
};
