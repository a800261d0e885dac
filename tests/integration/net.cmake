# The network actions against real servers on 127.0.0.1 (Dovecot, aiosmtpd, xinetd, mocked
# time-and-date and network manager services); the script starts and stops them. The servers
# use fixed ports.
add_test(NAME net_servers COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/net_servers.sh)
set_tests_properties(net_servers PROPERTIES LABELS integration TIMEOUT 120 RUN_SERIAL TRUE
    ENVIRONMENT "NET_SERVERS_TEST=$<TARGET_FILE:tst_netservers>")
# The program itself while mailbox checks wait for a silent and a byte-a-second server: the
# notifications due meanwhile fire on their second and the results arrive later.
add_test(NAME e2e_net_stall COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/e2e_net_stall.sh)
set_tests_properties(e2e_net_stall PROPERTIES LABELS integration TIMEOUT 120 RUN_SERIAL TRUE
    ENVIRONMENT "ZARVO_BIN=$<TARGET_FILE:zarvo>")
# Mail over TLS against real servers on 127.0.0.1 on free ports (Dovecot with TLS and STLS,
# aiosmtpd with STARTTLS, AUTH and TLS), with a test CA the script makes.
add_test(NAME net_tls COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/net_tls.sh)
set_tests_properties(net_tls PROPERTIES LABELS integration TIMEOUT 180
    ENVIRONMENT "NET_TLS_TEST=$<TARGET_FILE:tst_nettls>")
# The program while a mailbox check waits on a server silent after the TLS handshake and a mail
# on one that never answers it: both end at their time-out, the notifications fire on time.
add_test(NAME e2e_net_tls_stall COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/e2e_net_tls_stall.sh)
set_tests_properties(e2e_net_tls_stall PROPERTIES LABELS integration TIMEOUT 180
    ENVIRONMENT "ZARVO_BIN=$<TARGET_FILE:zarvo>")
